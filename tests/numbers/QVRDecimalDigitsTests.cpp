#include <gtest/gtest.h>

#include <string>

#include "numbers/QVRDecimalDigits.h"
#include "numbers/QVRTallixDecimal.h"
#include "support/ExactDecimal.h"
#include "support/RandomDecimals.h"
#include "support/SeededRandom.h"

namespace {

QVRDecimalDigits digitsOf(const char* text) {
  return QVRTallixDecimal::fromString(text, ".", true).value_or(QVRTallixDecimal::nan()).digits();
}

// "-12e3" style: sign, digits, "e", exponent.
std::string text(const QVRDecimalDigits& digits) {
  std::string result = digits.isNegative() ? "-" : "";
  result += digits.digits();
  result += 'e';
  result += std::to_string(digits.exponent());
  return result;
}

struct Case {
  const char* value;
  int digitsOrScale;
  QVRTallixRoundingMode mode;
  const char* significant;  // roundedToSignificantDigits
  const char* scaled;       // roundedToScale
};

TEST(QVRDecimalDigits, RoundsToSignificantDigitsAndToAScaleInEachMode) {
  using enum QVRTallixRoundingMode;
  const Case cases[] = {
      {"2.5", 1, plain, "3e0", "25e-1"},
      {"2.5", 0, bankers, "25e-1", "2e0"},
      {"99.96", 3, plain, "1e2", "9996e-2"},
      {"0.0004", 2, plain, "4e-4", "0e0"},
      {"0.0004", 2, up, "4e-4", "1e-2"},
      {"1250", -2, bankers, "125e1", "12e2"},
      {"0.125", 2, bankers, "12e-2", "12e-2"},
      {"340282366920938463463374607431768211455e127", 4, plain, "3403e162",
       "340282366920938463463374607431768211455e127"},
      {"99999999999999999999999999999999999999", 15, plain, "1e38",
       "99999999999999999999999999999999999999e0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " at " + std::to_string(c.digitsOrScale));
    const QVRDecimalDigits digits = digitsOf(c.value);
    EXPECT_EQ(text(digits.roundedToSignificantDigits(c.digitsOrScale, c.mode)), c.significant);
    EXPECT_EQ(text(digits.roundedToScale(c.digitsOrScale, c.mode)), c.scaled);
  }
}

// Rounding the digits to a scale agrees with the decimal's own rounding (other code: 128-bit
// division) wherever the decimal can hold the result.
TEST(QVRDecimalDigits, RoundingToAScaleAgreesWithTheDecimal) {
  const std::uint64_t seed = SeededRandom::testSeed(0xD161757);
  SeededRandom random(seed);
  constexpr QVRTallixRoundingMode modes[] = {
      QVRTallixRoundingMode::plain, QVRTallixRoundingMode::bankers, QVRTallixRoundingMode::down,
      QVRTallixRoundingMode::up};
  for (int i = 0; i < 20'000; ++i) {
    const QVRTallixDecimal value = RandomDecimals::any(random);
    const auto scale = static_cast<int>(random.between(-130, 140));
    const QVRTallixRoundingMode mode = modes[random.between(0, 3)];
    const QVRTallixDecimal rounded = value.rounded(scale, mode);
    if (rounded.isNaN()) continue;
    const QVRDecimalDigits digits = value.digits().roundedToScale(scale, mode);
    const QVRDecimalDigits decimalDigits = rounded.digits();
    const ExactDecimal left{digits.isNegative(),
                            ExactInteger::fromDigits(std::string(digits.digits())),
                            digits.exponent()};
    const ExactDecimal right{decimalDigits.isNegative(),
                             ExactInteger::fromDigits(std::string(decimalDigits.digits())),
                             decimalDigits.exponent()};
    ASSERT_EQ(ExactDecimal::order(left, right), 0)
        << "seed " << seed << ": " << value.description() << " at " << scale << " gave "
        << text(digits) << " and " << rounded.description();
    if (!(digits == value.digits())) {
      ASSERT_TRUE(digits.count() == 1 || digits.digits().back() != '0') << text(digits);
    }
  }
}

}  // namespace
