#include <gtest/gtest.h>

#include <string>

#include "numbers/QVRDecimalDigits.h"
#include "numbers/QVRTallixDecimal.h"
#include "support/ExactDecimal.h"
#include "support/RandomDecimals.h"
#include "support/SeededRandom.h"

namespace {

// "-12e3" style: sign, digits, "e", exponent.
std::string text(const QVRDecimalDigits& digits) {
  std::string result = digits.isNegative() ? "-" : "";
  result += digits.digits();
  result += 'e';
  result += std::to_string(digits.exponent());
  return result;
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
