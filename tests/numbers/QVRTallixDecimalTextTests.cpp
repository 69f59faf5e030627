#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "numbers/QVRTallixDecimal.h"
#include "support/ExactDecimal.h"
#include "support/RandomDecimals.h"
#include "support/SeededRandom.h"

namespace {

using Result = QVRTallixDecimal::Result;

std::string described(const std::optional<QVRTallixDecimal>& value) {
  return value ? value->description() : "none";
}

struct TextCase {
  const char* text;
  const char* separator;
  const char* partial;  // what reading the start gives ("none" for nothing)
  const char* whole;    // what requiring the whole text gives
};

TEST(QVRTallixDecimalText, ReadsTheNumberAtTheStartOfText) {
  const std::string largest = "340282366920938463463374607431768211455" + std::string(127, '0');
  const TextCase cases[] = {
      {"2.5", ".", "2.5", "2.5"},
      {"-0.001", ".", "-0.001", "-0.001"},
      {"+5", ".", "5", "5"},
      {"-0", ".", "0", "0"},
      {".5", ".", "0.5", "0.5"},
      {"5.", ".", "5", "5"},
      {"007.50", ".", "7.5", "7.5"},
      {"1e3", ".", "1000", "1000"},
      {"1E-3", ".", "0.001", "0.001"},
      {"2.5e+2", ".", "250", "250"},
      // Leading blanks: ASCII and Unicode white space (no-break space, ideographic space, line
      // separator); a zero-width space is no white space.
      {" \t\n\r\v\f2.5", ".", "2.5", "2.5"},
      {"\u00A02", ".", "2", "2"},
      {"\u3000\u2028\u20032", ".", "2", "2"},
      {"\u200B2", ".", "none", "none"},
      // Nothing after the number for the whole text, not even a blank.
      {"2.5 ", ".", "2.5", "none"},
      {"5e", ".", "5", "none"},
      {"5e+", ".", "5", "none"},
      {"1.5.3", ".", "1.5", "none"},
      {"0x10", ".", "0", "none"},
      {"12abc", ".", "12", "none"},
      // Separators of any text; an empty one never matches.
      {"12,5", ",", "12.5", "12.5"},
      {"12.5", ",", "12", "none"},
      {"1\u066B5", "\u066B", "1.5", "1.5"},
      {"-12|5", "|", "-12.5", "-12.5"},
      {"1.5", "", "1", "none"},
      // No digit: none.
      {"", ".", "none", "none"},
      {".", ".", "none", "none"},
      {"-", ".", "none", "none"},
      {"e5", ".", "none", "none"},
      {"NaN", ".", "none", "none"},
      {"\xC2", ".", "none", "none"},
      // Too large: none; too small: zero; half of 10^-128 rounds up to it.
      {"3.5e165", ".", "none", "none"},
      {"1e99999999999", ".", "none", "none"},
      {"0e99999999999", ".", "0", "0"},
      {"1e-200", ".", "0", "0"},
      {"5e-129", ".",
       "0."
       "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "0000000000000000000000000000000000001",
       "0."
       "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "0000000000000000000000000000000000001"},
      {"4.99999999999999999999999999999999999999995e-129", ".", "0", "0"},
      // Digits beyond the mantissa's width are rounded once.
      {"123456789012345678901234567890123456789012", ".",
       "123456789012345678901234567890123456789000", "123456789012345678901234567890123456789000"},
      {"999999999999999999999999999999999999999999999", ".",
       "1000000000000000000000000000000000000000000000",
       "1000000000000000000000000000000000000000000000"},
      {"340282366920938463463374607431768211455e127", ".", largest.c_str(), largest.c_str()},
      {"34028236692093846346337460743176821145.5e128", ".", largest.c_str(), largest.c_str()},
      {"340282366920938463463374607431768211456e127", ".", "none", "none"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\" with \"" + c.separator + "\"");
    EXPECT_EQ(described(QVRTallixDecimal::fromString(c.text, c.separator)), c.partial);
    EXPECT_EQ(described(QVRTallixDecimal::fromString(c.text, c.separator, true)), c.whole);
  }
}

TEST(QVRTallixDecimalText, RoundsTextOnceNotFirstTo39DigitsAndThenAt10ToTheMinus128) {
  // The digit at 10^-129 is 4, so 1 × 10^-100 is the value; rounding the 40th digit first would
  // carry into it and round up.
  const std::string text = "1." + std::string(28, '0') + "4" + std::string(9, '9') + "5e-100";
  EXPECT_EQ(QVRTallixDecimal::fromString(text), QVRTallixDecimal::fromString("1e-100"));
  // Thousands of leading zeros and digits count only by their place.
  const std::string zeros = "0." + std::string(5000, '0') + "1e5010";
  EXPECT_EQ(described(QVRTallixDecimal::fromString(zeros)), "1000000000");
  const std::string many = "1" + std::string(100000, '0') + "e-99990";
  EXPECT_EQ(described(QVRTallixDecimal::fromString(many)), "10000000000");
}

// Random texts (any number of digits, with and without a separator, exponents beyond the range)
// read as their exact value rounded once, plainly; too large reads as none, too small as zero.
TEST(QVRTallixDecimalText, RandomTextReadsAsItsExactValueRoundedOnce) {
  const std::uint64_t seed = SeededRandom::testSeed(0x5CA77E2);
  SeededRandom random(seed);
  std::vector<std::string> failures;
  for (int i = 0; i < 20'000; ++i) {
    auto digits = [&](std::int64_t count) {
      std::string text;
      const std::int64_t style = random.between(0, 3);
      for (std::int64_t k = 0; k < count; ++k) {
        if (style == 0)
          text += '9';
        else if (style == 1)
          text += text.empty() ? '4' : '9';
        else
          text += static_cast<char>('0' + random.between(0, 9));
      }
      if (style == 1 && count > 2) text.back() = '5';
      return text;
    };
    const std::string integer = digits(random.between(0, 45));
    const std::string fraction = digits(random.between(0, 45));
    if (integer.empty() && fraction.empty()) continue;
    const bool negative = random.coin();
    const std::int64_t exponent = random.between(-180, 180);
    std::string text = negative ? "-" : "";
    text += integer;
    if (!fraction.empty() || random.coin()) {
      text += '.';
      text += fraction;
    }
    text += 'e';
    text += std::to_string(exponent);

    const std::optional<QVRTallixDecimal> read = QVRTallixDecimal::fromString(text, ".", true);
    const ExactDecimal exact = ExactDecimal::parse(text);
    const ExpectedDecimal expected = ExpectedDecimal::of(exact);
    std::string expectedText;
    switch (expected.error) {
      case QVRTallixDecimalError::overflow:
        expectedText = "none";
        break;
      case QVRTallixDecimalError::underflow:
        expectedText = "0";
        break;
      default:
        expectedText = expected.mantissa.isZero() ? "0" : expected.text();
    }
    std::string foundText = "none";
    if (read) {
      foundText = read->isZero() ? "0"
                                 : std::string(read->isNegative() ? "-" : "") +
                                       ExactInteger::fromMantissa(read->mantissa()).text() + "e" +
                                       std::to_string(read->exponent());
    }
    if (foundText != expectedText) {
      failures.push_back(text + " read as " + foundText + ", expected " + expectedText);
    }
  }
  EXPECT_TRUE(failures.empty()) << "seed " << seed << ": " << failures.size()
                                << " failures, first: " << failures.front();
}

TEST(QVRTallixDecimalText, EveryValueReadsBackFromItsDescription) {
  const std::uint64_t seed = SeededRandom::testSeed(0x7E47);
  SeededRandom random(seed);
  for (int i = 0; i < 20'000; ++i) {
    const QVRTallixDecimal value = RandomDecimals::any(random);
    const std::string text = value.description();
    ASSERT_EQ(QVRTallixDecimal::fromString(text, ".", true), std::optional(value))
        << "seed " << seed << ": " << text;
    // The digits of the mantissa, independently.
    ASSERT_EQ(std::string(value.digits().digits()),
              ExactInteger::fromMantissa(value.mantissa()).text());
  }
}

TEST(QVRTallixDecimalText, DescriptionIsPlainNotation) {
  const std::pair<QVRTallixDecimal, const char*> cases[] = {
      {QVRTallixDecimal::nan(), "NaN"},
      {QVRTallixDecimal(), "0"},
      {QVRTallixDecimal(1000), "1000"},
      {*QVRTallixDecimal::fromString("2.50"), "2.5"},
      {*QVRTallixDecimal::fromString("-0.001"), "-0.001"},
      {*QVRTallixDecimal::fromString("-123.456e2"), "-12345.6"},
      {*QVRTallixDecimal::fromString("1e-3"), "0.001"},
      {QVRTallixDecimal(std::uint64_t(18446744073709551615u)), "18446744073709551615"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(value.description(), text);
}

// MARK: - Doubles

TEST(QVRTallixDecimalDouble, DoublesConvertThroughTheirShortestText) {
  struct Case {
    double value;
    const char* expected;
  };
  const Case cases[] = {
      {0.1, "0.1"},
      {-0.0, "0"},
      {1.0 / 3.0, "0.3333333333333333"},
      {2.0 / 3.0, "0.6666666666666666"},
      {1e21, "1000000000000000000000"},
      {123456789012345678.0, "123456789012345680"},
      {5e-324, "0"},
      {1e-300, "0"},
      {4.9e-129, "0"},
      {5e-129,
       "0."
       "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "0000000000000000000000000000000000001"},
      {1e300, "NaN"},
      {3.5e165, "NaN"},
      {1.7976931348623157e308, "NaN"},
      {INFINITY, "NaN"},
      {-INFINITY, "NaN"},
      {NAN, "NaN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(QVRTallixDecimal::fromDouble(c.value).description(), c.expected);
  }
  EXPECT_EQ(QVRTallixDecimal::fromDouble(3.4e165), *QVRTallixDecimal::fromString("3.4e165"));
}

TEST(QVRTallixDecimalDouble, DoubleValueIsCorrectlyRounded) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"0.1", 0.1},
      {"123456789012345678901234567890", 1.2345678901234568e29},
      {"340282366920938463463374607431768211455e127", 3.4028236692093845e165},
      {"1e-128", 1e-128},
      {"-9007199254740993", -9007199254740992.0},  // halfway: to even
      {"9007199254740995", 9007199254740996.0},
      {"1e22", 1e22},
      {"1e23", 1e23},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(QVRTallixDecimal::fromString(c.text).value_or(QVRTallixDecimal::nan()).doubleValue(),
              c.expected);
  }
  EXPECT_TRUE(std::isnan(QVRTallixDecimal::nan().doubleValue()));
  EXPECT_FALSE(std::signbit(QVRTallixDecimal().doubleValue()));
}

TEST(QVRTallixDecimalDouble, DoubleRoundTripsThroughTheDecimalAndDecimalsMatchStrtod) {
  const std::uint64_t seed = SeededRandom::testSeed(0xD00B1E);
  SeededRandom random(seed);
  int checked = 0;
  while (checked < 100'000) {
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
  }
  // The decimal's double against the C library's reading of its description.
  for (int i = 0; i < 20'000; ++i) {
    const QVRTallixDecimal decimal = RandomDecimals::any(random);
    ASSERT_EQ(decimal.doubleValue(), std::strtod(decimal.description().c_str(), nullptr))
        << "seed " << seed << ": " << decimal.description();
  }
}

// MARK: - Order

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
        if (x.isNaN() && !y.isNaN()) {
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
