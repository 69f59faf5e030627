#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "numbers/QVRTallixNumber.h"
#include "numbers/QVRTallixNumberFormatter.h"
#include "support/TallixTest.h"

namespace {

class QVRTallixNumberFormatting : public TallixTest {};

QVRTallixDecimal decimal(const char* text) {
  return QVRTallixDecimal::fromString(text, ".", true).value_or(QVRTallixDecimal::nan());
}

std::string standard(const char* text, std::uint64_t digits = 15) {
  return QVRTallixNumber::scientificFormattedDecimalNumber(decimal(text), digits);
}

std::string currency(const char* text, std::optional<std::string_view> symbol = std::nullopt) {
  return QVRTallixNumber::currencyFormattedDecimalNumber(decimal(text), symbol);
}

// The standard style below 10^-8 and with maxima other than the display's 15 digits (those are
// the copy-and-paste property's oracle and the recorded outputs'); the currency style ("$"
// rows), which rounds half up on the decimal digits, up to its switch at 10^13.
TEST_F(QVRTallixNumberFormatting, EachStyleSwitchesAtItsThresholdsAndCapsDigitsByMagnitude) {
  const struct {
    const char* value;
    std::uint64_t digits;  // 0 for the currency style
    const char* expected;
  } rows[] = {
      // clang-format off
      {"0.0000000099999", 15, "9.9999e-9"},
      {"123456", 5, "1.2346e5"},
      {"1e15", 20, "1,000,000,000,000,000"},
      {"98765", 1, "1e5"},
      {"0.124999999999999999999", 0, "$0.12"},
      {"9999999999999.995", 0, "$10,000,000,000,000.00"},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.value) + " with " + std::to_string(row.digits));
    EXPECT_EQ(row.digits ? standard(row.value, row.digits) : currency(row.value), row.expected);
  }
}

TEST_F(QVRTallixNumberFormatting, ExtremeValuesAndMaximaNeverFailAndNeverLoseTheirMagnitude) {
  const QVRTallixDecimal largest =
      QVRTallixDecimal::make(true, QVRUInt128Max, QVRTallixDecimal::maximumExponent).value;
  const QVRTallixDecimal smallest =
      QVRTallixDecimal::make(false, 1, QVRTallixDecimal::minimumExponent).value;
  for (const QVRTallixDecimal& value :
       {largest, largest.negated(), smallest, smallest.negated(), QVRTallixDecimal::nan()}) {
    for (std::uint64_t digits : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{38},
                                 std::uint64_t{100}, std::numeric_limits<std::uint64_t>::max()}) {
      SCOPED_TRACE(value.description() + " with " + std::to_string(digits));
      const std::string text = QVRTallixNumber::scientificFormattedDecimalNumber(value, digits);
      if (value.isNaN()) {
        EXPECT_EQ(text, "Error");
      } else if (value.exponent() > 0) {
        EXPECT_NE(text.find("e165"), std::string::npos) << text;
      } else {
        EXPECT_NE(text.find("e-128"), std::string::npos) << text;
      }
    }
    EXPECT_FALSE(QVRTallixNumber::currencyFormattedDecimalNumber(value, std::nullopt).empty());
  }
  // Every digit of the widest mantissa when the maximum allows them.
  EXPECT_EQ(QVRTallixNumber::scientificFormattedDecimalNumber(largest, 100),
            "-3.40282366920938463463374607431768211455e165");
}

}  // namespace
