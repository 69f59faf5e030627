#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "numbers/QVRTallixNumber.h"
#include "numbers/QVRTallixNumberFormatter.h"
#include "support/ScopedEnvironment.h"
#include "support/TallixTest.h"
#include "tape/QVRTallixSettings.h"

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

// The display texts of a value in the standard style and the currency style, per locale. The
// symbols are ICU 72's: fr_CH groups with U+202F and writes money with "."; sv_SE writes U+2212
// and "×10^"; hi_IN groups by 3 then 2; es_ES leaves four digits alone; ar_EG writes other
// digits, so English symbols with the Egyptian pound; ar_BH's dinar has 3 digits, the yen none.
struct LocaleCase {
  const char* locale;
  const char* value;
  const char* standard;
  const char* currency;
};

const LocaleCase localeCases[] = {
    {"en_US", "0", "0", "$0.00"},
    {"en_US", "-1234567.891", "-1,234,567.891", "-$1,234,567.89"},
    {"en_US", "1e15", "1e15", "1e15"},
    {"en_US", "0.0000001", "0.0000001", "$0.00"},
    {"en_US", "-0.000000001", "-1e-9", "$0.00"},
    {"de_DE", "-1234567.891", "-1.234.567,891", "-1.234.567,89\u00A0€"},
    {"de_DE", "1.5e15", "1,5e15", "1,5e15"},
    {"de_DE", "0.00000000123", "1,23e-9", "0,00\u00A0€"},
    {"fr_CH", "-1234567.891", "-1\u202F234\u202F567,891", "-1\u202F234\u202F567.89\u00A0CHF"},
    {"fr_CH", "1234", "1\u202F234", "1\u202F234.00\u00A0CHF"},
    {"ar_EG", "-1234567.891", "-1,234,567.891", "-ج.م.\u200F\u00A01,234,567.89"},
    {"ar_EG", "0.000000001", "1e-9", "ج.م.\u200F\u00A00.00"},
    {"ar_BH", "1234.5675", "1,234.5675", "د.ب.\u200F\u00A01,234.568"},
    {"ar_BH", "-0.0005", "-0.0005", "-د.ب.\u200F\u00A00.001"},
    {"hi_IN", "1234567890123", "12,34,56,78,90,123", "₹12,34,56,78,90,123.00"},
    {"hi_IN", "-1234567.891", "-12,34,567.891", "-₹12,34,567.89"},
    {"hi_IN", "12345", "12,345", "₹12,345.00"},
    {"sv_SE", "-1234.5", "\u22121\u00A0234,5", "\u22121\u00A0234,50\u00A0kr"},
    {"sv_SE", "1e-9", "1×10^\u22129", "0,00\u00A0kr"},
    {"es_ES", "1234", "1234", "1234,00\u00A0€"},
    {"es_ES", "-12345.5", "-12.345,5", "-12.345,50\u00A0€"},
    {"ja_JP", "1234.5", "1,234.5", "￥1,235"},
    {"ja_JP", "-0.5", "-0.5", "-￥1"},
    {"ja_JP", "0.125", "0.125", "￥0"},
    {"en_US_POSIX", "-1234567.5", "-1234567.5", "-$\u00A01234567.50"},
};

TEST_F(QVRTallixNumberFormatting, EachLocaleWritesItsSymbolsWithASCIIDigits) {
  for (const LocaleCase& row : localeCases) {
    SCOPED_TRACE(std::string(row.locale) + " " + row.value);
    ScopedEnvironment scoped(row.locale);
    const QVRTallixNumber number(decimal(row.value));
    EXPECT_EQ(number.formattedStringWithMode(0), row.standard);
    EXPECT_EQ(number.formattedStringWithMode(1), row.currency);
  }
}

// The standard style with the display's 15 digits, at and around every threshold and cap.
struct ThresholdCase {
  const char* value;
  const char* expected;
};

const ThresholdCase thresholdCases[] = {
    // Below 10^12: 12 significant digits.
    {"999999999999", "999,999,999,999"},
    {"999999999999.4", "999,999,999,999"},
    {"99999999999.96", "100,000,000,000"},
    {"123456789.123456789", "123,456,789.123"},
    {"1.23456789012345", "1.23456789012"},
    // From 10^12: 13 digits; from 10^13: 14; from 10^14: 15.
    {"1234567890123", "1,234,567,890,123"},
    {"1234567890123.46", "1,234,567,890,123"},
    {"9999999999999.9", "10,000,000,000,000"},
    {"12345678901234.6", "12,345,678,901,235"},
    {"123456789012345", "123,456,789,012,345"},
    {"123456789012345.6", "123,456,789,012,346"},
    {"-999999999999999", "-999,999,999,999,999"},
    // From 10^15: scientific with 15 digits and a lower-case e.
    {"1000000000000000", "1e15"},
    {"1234567890123456", "1.23456789012346e15"},
    {"-1234567890123456789", "-1.23456789012346e18"},
    {"340282366920938463463374607431768211455e127", "3.40282366920938e165"},
    // Below 1: 15 digits down to 10^-8, scientific below.
    {"0.999999999999999", "0.999999999999999"},
    {"0.1234567890123456", "0.123456789012346"},
    {"0.00000001", "0.00000001"},
    {"0.000000012345678901234567", "0.0000000123456789012346"},
    {"0.0000000099999", "9.9999e-9"},
    {"0.000000001234567890123456", "1.23456789012346e-9"},
    {"1e-128", "1e-128"},
    // The standard style rounds half to even, on the decimal digits.
    {"1.000000000005", "1"},
    {"1.000000000015", "1.00000000002"},
    {"0.1000000000000005", "0.1"},
    {"0.1000000000000015", "0.100000000000002"},
};

TEST_F(QVRTallixNumberFormatting, StandardStyleSwitchesAtEachThresholdAndCapsDigitsByMagnitude) {
  for (const ThresholdCase& row : thresholdCases) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(standard(row.value), row.expected);
  }
}

TEST_F(QVRTallixNumberFormatting, DivisionResultsShowTheirDisplayDigits) {
  const QVRTallixNumber one(QVRTallixDecimal(1));
  EXPECT_EQ(QVRTallixNumber(QVRTallixDecimal(0)).formattedString(), "0");
  EXPECT_EQ(one.divide(QVRTallixNumber(QVRTallixDecimal(3))).formattedString(),
            "0.333333333333333");
  EXPECT_EQ(QVRTallixNumber(QVRTallixDecimal(4))
                .divide(QVRTallixNumber(QVRTallixDecimal(3)))
                .formattedString(),
            "1.33333333333");
  EXPECT_EQ(one.divide(QVRTallixNumber(QVRTallixDecimal(0))).formattedString(), "Error");
  EXPECT_EQ(QVRTallixNumber().formattedString(), "0");
  EXPECT_EQ(QVRTallixNumber::scientificFormattedDecimalNumber(std::nullopt), "0");
}

TEST_F(QVRTallixNumberFormatting, OtherMaximaMoveTheThresholdsWithThem) {
  const struct {
    const char* value;
    std::uint64_t digits;
    const char* expected;
  } rows[] = {
      {"123456", 5, "1.2346e5"},
      {"99999", 5, "99,999"},
      {"1234.5678", 5, "1,234.6"},
      {"0.000123456", 5, "0.00012346"},
      {"0.00000123456", 5, "1.2346e-6"},
      {"1e15", 20, "1,000,000,000,000,000"},
      {"12345", 0, "1e4"},
      {"0.5", 0, "5e-1"},
      {"98765", 1, "1e5"},
      {"1234567.891", 15, "1,234,567.891"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.value) + " with " + std::to_string(row.digits));
    EXPECT_EQ(standard(row.value, row.digits), row.expected);
  }
}

TEST_F(QVRTallixNumberFormatting, NotANumberIsTheLocalisedErrorInBothModes) {
  for (const auto& [locale, text] : {std::pair{"en_US", "Error"}, std::pair{"de_DE", "Fehler"},
                                     std::pair{"de_AT", "Fehler"}, std::pair{"ar_EG", "Error"}}) {
    SCOPED_TRACE(locale);
    ScopedEnvironment scoped(locale);
    EXPECT_EQ(QVRTallixNumber::nan().formattedStringWithMode(0), text);
    EXPECT_EQ(QVRTallixNumber::nan().formattedStringWithMode(1), text);
    QVRTallixSettings::sharedSettings().setCurrencyMode(true);
    EXPECT_EQ(QVRTallixNumber::nan().formattedString(), text);
  }
}

TEST_F(QVRTallixNumberFormatting,
       CurrencyRoundsHalfUpOnTheDecimalDigitsAndFallsBackFromTenToThe13) {
  const ThresholdCase rows[] = {
      {"0.125", "$0.13"},
      {"1.005", "$1.01"},
      {"-0.125", "-$0.13"},
      {"2.675", "$2.68"},
      {"0.124999999999999999999", "$0.12"},
      {"-0.001", "$0.00"},
      {"-0.005", "-$0.01"},
      {"1234567.891", "$1,234,567.89"},
      {"9999999999999.99", "$9,999,999,999,999.99"},
      {"9999999999999.995", "$10,000,000,000,000.00"},
      {"10000000000000", "10,000,000,000,000"},
      {"-12345678901234.567", "-12,345,678,901,235"},
      {"1e20", "1e20"},
  };
  for (const ThresholdCase& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(currency(row.value), row.expected);
  }
}

TEST_F(QVRTallixNumberFormatting, CurrencySymbolIsSetForOneCallAndSpacedLikeICU) {
  EXPECT_EQ(currency("-5", "€"), "-€5.00");
  // A symbol of letters is kept from the digits by a no-break space, on either side.
  EXPECT_EQ(currency("5", "CHF"), "CHF\u00A05.00");
  EXPECT_EQ(currency("5", ""), "5.00");
  EXPECT_EQ(currency("5"), "$5.00");
  ScopedEnvironment german("de_DE");
  EXPECT_EQ(currency("-5", "CHF"), "-5,00\u00A0CHF");
  EXPECT_EQ(currency("5", "$"), "5,00\u00A0$");
}

TEST_F(QVRTallixNumberFormatting, FormattedStringFollowsTheSettingsCurrencyMode) {
  const QVRTallixNumber value(decimal("1234.5"));
  EXPECT_EQ(value.formattedString(), "1,234.5");
  EXPECT_EQ(value.editString(), "1,234.5");
  QVRTallixSettings::sharedSettings().setCurrencyMode(true);
  EXPECT_EQ(value.formattedString(), "$1,234.50");
  EXPECT_EQ(value.editString(), "$1,234.50");
  EXPECT_EQ(value.formattedStringWithMode(0), "1,234.5");
  EXPECT_EQ(value.formattedStringWithMode(7), "1,234.5");
}

TEST_F(QVRTallixNumberFormatting, SimpleDigitFormatterKeepsTheUsersMoneyWhenItSwitchesToEnglish) {
  {
    ScopedEnvironment arabic("ar_EG");
    QVRTallixNumberFormatter formatter = QVRTallixNumber::simpleDigitNumberFormatter();
    EXPECT_EQ(formatter.stringFromNumber(QVRTallixDecimal(1)), "1");
    EXPECT_EQ(formatter.localeIdentifier(), "en");
    EXPECT_EQ(formatter.currencyCode(), "EGP");
    EXPECT_EQ(formatter.currencySymbol(), "ج.م.\u200F");
    formatter.setCurrencySymbol("E£");
    EXPECT_EQ(formatter.currencySymbol(), "E£");
    formatter.setCurrencySymbol(std::nullopt);
    EXPECT_EQ(formatter.currencySymbol(), "ج.م.\u200F");
  }
  {
    ScopedEnvironment persian("fa_IR");
    QVRTallixNumberFormatter formatter = QVRTallixNumber::simpleDigitNumberFormatter();
    EXPECT_EQ(formatter.currencyCode(), "IRR");
    EXPECT_EQ(formatter.symbols().currencyFractionDigits, 0);
  }
  ScopedEnvironment german("de_DE");
  const QVRTallixNumberFormatter formatter = QVRTallixNumber::simpleDigitNumberFormatter();
  EXPECT_EQ(formatter.localeIdentifier(), "de_DE");
  EXPECT_EQ(formatter.currencyCode(), "EUR");
  EXPECT_EQ(formatter.currencySymbol(), "€");
  EXPECT_EQ(formatter.numberStyle(), QVRTallixNumberFormatter::Style::none);
  EXPECT_EQ(formatter.stringFromNumber(decimal("-1234.5")), "-1234");
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
