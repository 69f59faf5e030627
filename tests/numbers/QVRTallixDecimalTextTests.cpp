#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "numbers/QVRTallixDecimal.h"
#include "support/ExactDecimal.h"
#include "support/RandomDecimals.h"
#include "support/SeededRandom.h"

namespace {

std::string described(const std::optional<QVRTallixDecimal>& value) {
  return value ? value->description() : "none";
}

TEST(QVRTallixDecimalText, ReadsTheNumberAtTheStartOfText) {
  const struct {
    const char* text;
    const char* separator;
    const char* partial;  // what reading the start gives ("none" for nothing)
    const char* whole;    // what requiring the whole text gives
  } cases[] = {
      // Leading blanks: ASCII and Unicode white space; a zero-width space is no white space.
      {" \t\n\r\v\f2.5", ".", "2.5", "2.5"},
      {"\u3000\u2028\u20032", ".", "2", "2"},
      {"\u200B2", ".", "none", "none"},
      // Nothing after the number for the whole text, not even a blank.
      {"2.5 ", ".", "2.5", "none"},
      // Separators of any text; an empty one never matches.
      {"12,5", ",", "12.5", "12.5"},
      {"12.5", ",", "12", "none"},
      {"1\u066B5", "\u066B", "1.5", "1.5"},
      {"1.5", "", "1", "none"},
      {"", ".", "none", "none"},
      {"\xC2", ".", "none", "none"},
      // An exponent far beyond any digits' reach (the property test has the range's ends).
      {"0e99999999999", ".", "0", "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\" with \"" + c.separator + "\"");
    EXPECT_EQ(described(QVRTallixDecimal::fromString(c.text, c.separator)), c.partial);
    EXPECT_EQ(described(QVRTallixDecimal::fromString(c.text, c.separator, true)), c.whole);
  }
  // Thousands of leading zeros and digits count only by their place.
  EXPECT_EQ(described(QVRTallixDecimal::fromString("0." + std::string(5000, '0') + "1e5010")),
            "1000000000");
  EXPECT_EQ(described(QVRTallixDecimal::fromString("1" + std::string(100000, '0') + "e-99990")),
            "10000000000");
}

// Random texts (any number of digits, exponents beyond the range) read as their exact value
// rounded once, plainly; too large reads as none, too small as zero. Every value reads back from
// its description.
TEST(QVRTallixDecimalText, RandomTextReadsAsItsExactValueRoundedOnce) {
  const std::uint64_t seed = SeededRandom::testSeed(0x5CA77E2);
  SeededRandom random(seed);
  const auto digits = [&](std::int64_t count) {
    std::string text;
    const std::int64_t style = random.between(0, 3);  // nines, 49…95 (halves), or any
    for (std::int64_t k = 0; k < count; ++k) {
      text += style == 0   ? '9'
              : style == 1 ? (text.empty() ? '4' : '9')
                           : static_cast<char>('0' + random.between(0, 9));
    }
    if (style == 1 && count > 2) text.back() = '5';
    return text;
  };
  for (int i = 0; i < 20'000; ++i) {
    const std::string integer = digits(random.between(0, 45));
    const std::string fraction = digits(random.between(0, 45));
    if (integer.empty() && fraction.empty()) continue;
    const std::string text = (random.coin() ? "-" : "") + integer +
                             (!fraction.empty() || random.coin() ? "." + fraction : "") + "e" +
                             std::to_string(random.between(-180, 180));
    const ExpectedDecimal expected = ExpectedDecimal::of(ExactDecimal::parse(text));
    const std::string expectedText =
        expected.error == QVRTallixDecimalError::overflow ? "none"
        : expected.error == QVRTallixDecimalError::underflow || expected.mantissa.isZero()
            ? "0"
            : expected.text();
    const std::optional<QVRTallixDecimal> read = QVRTallixDecimal::fromString(text, ".", true);
    const std::string found = !read ? "none"
                              : read->isZero()
                                  ? "0"
                                  : std::string(read->isNegative() ? "-" : "") +
                                        ExactInteger::fromMantissa(read->mantissa()).text() + "e" +
                                        std::to_string(read->exponent());
    ASSERT_EQ(found, expectedText) << "seed " << seed << ": " << text;
    const QVRTallixDecimal value = RandomDecimals::any(random);
    ASSERT_EQ(QVRTallixDecimal::fromString(value.description(), ".", true), std::optional(value))
        << "seed " << seed << ": " << value.description();
  }
}

TEST(QVRTallixDecimalDouble, DoubleRoundTripsThroughTheDecimalAndDecimalsMatchStrtod) {
  const std::uint64_t seed = SeededRandom::testSeed(0xD00B1E);
  SeededRandom random(seed);
  for (int checked = 0; checked < 100'000;) {
    // Any double whose 17 digits the decimal holds (1e-110 to 3.4e165), or a short one typed.
    double value = std::bit_cast<double>(random.next());
    if (random.coin()) {
      value = double(random.between(-999'999'999, 999'999'999)) /
              std::pow(10.0, double(random.between(0, 22)));
    }
    if (!std::isfinite(value) ||
        (value != 0 && (std::fabs(value) < 1e-110 || std::fabs(value) > 1e165))) {
      continue;
    }
    ++checked;
    const QVRTallixDecimal decimal = QVRTallixDecimal::fromDouble(value);
    ASSERT_EQ(decimal.doubleValue(), value) << "seed " << seed << ": " << decimal.description();
    // The decimal's double against the C library's reading of its description.
    const QVRTallixDecimal other = RandomDecimals::any(random);
    ASSERT_EQ(other.doubleValue(), std::strtod(other.description().c_str(), nullptr))
        << "seed " << seed << ": " << other.description();
  }
}

TEST(QVRTallixDecimalOrder, CompareIsTheExactOrderWithNotANumberFirst) {
  const std::uint64_t seed = SeededRandom::testSeed(0xC04FA7E);
  SeededRandom random(seed);
  std::vector<QVRTallixDecimal> values = {QVRTallixDecimal::nan(), QVRTallixDecimal()};
  for (int i = 0; i < 150; ++i) {
    values.push_back(RandomDecimals::any(random));
    values.push_back(RandomDecimals::partner(values.back(), random));
  }
  for (const QVRTallixDecimal& x : values) {
    for (const QVRTallixDecimal& y : values) {
      SCOPED_TRACE(x.description() + " vs " + y.description() + ", seed " + std::to_string(seed));
      const QVRComparisonResult order = QVRTallixDecimal::compare(x, y);
      ASSERT_EQ(static_cast<int>(QVRTallixDecimal::compare(y, x)), -static_cast<int>(order));
      ASSERT_EQ(order == QVRComparisonResult::orderedSame, x == y);
      if (x.isNaN() || y.isNaN()) {
        if (!y.isNaN()) {
          ASSERT_EQ(order, QVRComparisonResult::orderedAscending);
        }
        continue;
      }
      ASSERT_EQ(static_cast<int>(order),
                ExactDecimal::order(ExactDecimal::of(x), ExactDecimal::of(y)));
    }
  }
}

}  // namespace
