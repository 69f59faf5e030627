#include <algorithm>
#include <cmath>

#include "common/QVREnvironment.h"
#include "numbers/QVRTallixNumber.h"
#include "numbers/QVRTallixNumberFormatter.h"
#include "numbers/QVRTallixSharedNumberFormatters.h"
#include "tape/QVRTallixSettings.h"

namespace {

// 10^exponent as a double; exact up to 10^22.
double powerOfTen(int exponent) {
  static constexpr double exact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  static constexpr double inverse[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};
  if (exponent >= 0 && exponent <= 22) return exact[exponent];
  if (exponent < 0 && exponent >= -8) return inverse[-exponent];
  return std::pow(10.0, exponent);
}

}  // namespace

QVRTallixNumberFormatter QVRTallixNumber::simpleDigitNumberFormatter() {
  QVRTallixNumberFormatter formatter(QVREnvironment::current().localeIdentifier());
  if (!formatter.localeWritesASCIIDigits()) {
    // ASCII digits with English symbols, but still the user's money.
    const std::string currencyCode = formatter.currencyCode();
    std::string currencySymbol(formatter.currencySymbol());
    formatter.setLocaleIdentifier("en");
    formatter.setCurrencyCode(currencyCode);
    formatter.setDefaultCurrencySymbol(std::move(currencySymbol));
  }
  return formatter;
}

std::string QVRTallixNumber::scientificFormattedDecimalNumber(
    const std::optional<QVRTallixDecimal>& number, std::uint64_t maximumSignificantDigits) {
  const QVRTallixDecimal value = number.value_or(QVRTallixDecimal::zero());
  const double d = value.doubleValue();
  if (d == 0) return "0";
  const int m = static_cast<int>(std::min<std::uint64_t>(maximumSignificantDigits, 100));
  const double a = std::fabs(d);
  auto style = QVRTallixNumberFormatter::Style::decimal;
  int digits = m;
  if (a >= 1) {
    if (a >= powerOfTen(m)) {
      style = QVRTallixNumberFormatter::Style::scientific;
    } else if (a < 1e12) {
      digits = std::min(m, 12);
    } else if (a < 1e13) {
      digits = std::min(m, 13);
    } else if (a < 1e14) {
      digits = std::min(m, 14);
    }
  } else if (a < powerOfTen(-std::min(m, 8))) {
    // Also false for not-a-number, which the decimal style prints as "Error".
    style = QVRTallixNumberFormatter::Style::scientific;
  }
  QVRTallixNumberFormatter& formatter = QVRTallixSharedNumberFormatters::shared().numberFormatter();
  formatter.setNumberStyle(style);
  formatter.setMaximumSignificantDigits(digits);
  return formatter.stringFromNumber(value);
}

std::string QVRTallixNumber::scientificFormattedDecimalNumber(
    const std::optional<QVRTallixDecimal>& number) {
  return scientificFormattedDecimalNumber(number, 15);
}

std::string QVRTallixNumber::currencyFormattedDecimalNumber(
    const std::optional<QVRTallixDecimal>& number, std::optional<std::string_view> currencySymbol) {
  const QVRTallixDecimal value = number.value_or(QVRTallixDecimal::zero());
  if (std::fabs(value.doubleValue()) >= 1e13) return scientificFormattedDecimalNumber(value);
  QVRTallixNumberFormatter& formatter =
      QVRTallixSharedNumberFormatters::shared().currencyFormatter();
  formatter.setCurrencySymbol(currencySymbol ? std::optional<std::string>(*currencySymbol)
                                             : std::nullopt);
  return formatter.stringFromNumber(value);
}

std::string QVRTallixNumber::formattedString() const {
  return formattedStringWithMode(QVRTallixSettings::sharedSettings().currencyMode() ? 1 : 0);
}

std::string QVRTallixNumber::formattedStringWithMode(std::uint64_t mode) const {
  if (mode == 1) return currencyFormattedDecimalNumber(_decimalNumber, std::nullopt);
  return scientificFormattedDecimalNumber(_decimalNumber);
}
