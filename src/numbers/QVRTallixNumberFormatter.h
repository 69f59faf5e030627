#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "numbers/QVRTallixDecimal.h"
#include "numbers/QVRTallixLocaleSymbols.h"
#include "numbers/QVRTallixRoundingMode.h"

// A number formatter with the settings the calculator uses (style, significant digits, fraction
// digits, rounding mode, not-a-number and exponent symbols, currency symbol, locale, lenient
// reading), applied to the decimal's own digits: amounts such as 1.005 round on their decimal
// digits, never on a binary double. It writes ASCII digits and takes the locale's separators,
// grouping, minus sign and currency patterns from QVRTallixLocaleSymbols.
//
// A formatter is a value: the shared ones (QVRTallixSharedNumberFormatters) are set up again for
// each call.
class QVRTallixNumberFormatter {
 public:
  enum class Style { none, decimal, scientific, currency };

  // The longest text numberFromString reads; a longer one raises (a pasted document is no
  // number), and the pasteboard logs it.
  static constexpr std::size_t maximumParsedLength = 10'000;

  // A formatter with the platform's defaults (no style, 6 significant digits, 3 fraction
  // digits, half-even) in the locale `localeIdentifier`.
  explicit QVRTallixNumberFormatter(std::string_view localeIdentifier);

  Style numberStyle() const { return _numberStyle; }
  void setNumberStyle(Style style) { _numberStyle = style; }
  bool usesSignificantDigits() const { return _usesSignificantDigits; }
  void setUsesSignificantDigits(bool uses) { _usesSignificantDigits = uses; }
  int maximumSignificantDigits() const { return _maximumSignificantDigits; }
  void setMaximumSignificantDigits(int digits) { _maximumSignificantDigits = digits; }
  // Used by the decimal style without significant digits.
  int maximumFractionDigits() const { return _maximumFractionDigits; }
  void setMaximumFractionDigits(int digits) { _maximumFractionDigits = digits; }
  QVRTallixRoundingMode roundingMode() const { return _roundingMode; }
  void setRoundingMode(QVRTallixRoundingMode mode) { _roundingMode = mode; }
  bool isLenient() const { return _lenient; }
  void setLenient(bool lenient) { _lenient = lenient; }
  const std::string& notANumberSymbol() const { return _notANumberSymbol; }
  void setNotANumberSymbol(std::string symbol) { _notANumberSymbol = std::move(symbol); }
  const std::string& exponentSymbol() const { return _exponentSymbol; }
  void setExponentSymbol(std::string symbol) { _exponentSymbol = std::move(symbol); }

  // The locale; setting it takes the locale's symbols, exponent symbol and currency, and drops
  // the default currency symbol.
  const std::string& localeIdentifier() const { return _symbols->localeIdentifier; }
  void setLocaleIdentifier(std::string_view localeIdentifier);
  // The currency; setting it makes the fraction digits and the locale's symbol follow it.
  const std::string& currencyCode() const { return _symbols->currencyCode; }
  void setCurrencyCode(std::string_view currencyCode);
  // The currency sign in use: the one set, else the default one, else the locale's.
  std::string_view currencySymbol() const;
  // None restores the default one.
  void setCurrencySymbol(std::optional<std::string> symbol) { _currencySymbol = std::move(symbol); }
  // What currencySymbol falls back to (none: the locale's sign for the currency). A formatter that
  // writes ASCII digits for a user whose locale writes others keeps the user's own sign here.
  void setDefaultCurrencySymbol(std::optional<std::string> symbol) {
    _defaultCurrencySymbol = std::move(symbol);
  }

  const QVRTallixLocaleSymbols& symbols() const { return *_symbols; }
  // Whether the locale writes the digit 1 as "1".
  bool localeWritesASCIIDigits() const { return _symbols->writesASCIIDigits; }

  // The text of `number` in the configured style; not-a-number gives notANumberSymbol.
  std::string stringFromNumber(const QVRTallixDecimal& number) const;

  // The value of `text` in the formatter's locale: an optional minus sign ("-" or U+2212),
  // digits of any script, the locale's grouping separators within the integer part and at most
  // one decimal separator. None when anything else is met, when there is no digit, or when the
  // value is too large for the decimal (a value too small reads as zero).
  //
  // A lenient formatter also reads "." and "," as grouping separators where they are not the
  // decimal separator, the money's decimal separator as a decimal separator (fr_CH: "," and "."),
  // and, in a locale whose separators are not ASCII (ar_EG writes U+066B and U+066C), "." as the
  // decimal and "," as the grouping separator: the calculator writes those for such a locale.
  //
  // Raises QVRException (invalid argument) for text longer than maximumParsedLength bytes.
  std::optional<QVRTallixDecimal> numberFromString(std::string_view text) const;

  // The decimal separators that numberFromString reads, the locale's first.
  std::vector<std::string> parsedDecimalSeparators() const;

 private:
  // The digits in plain notation; for a currency amount with the money's separators and without
  // the sign, which the currency pattern places.
  std::string decimalText(const QVRDecimalDigits& digits, bool grouping, int minimumFractionDigits,
                          bool forCurrency) const;
  std::string scientificText(const QVRTallixDecimal& number) const;
  std::string currencyText(const QVRTallixDecimal& number) const;
  std::vector<std::string> parsedGroupingSeparators() const;

  std::shared_ptr<const QVRTallixLocaleSymbols> _symbols;
  Style _numberStyle = Style::none;
  bool _usesSignificantDigits = false;
  int _maximumSignificantDigits = 6;
  int _maximumFractionDigits = 3;
  QVRTallixRoundingMode _roundingMode = QVRTallixRoundingMode::bankers;
  bool _lenient = false;
  std::string _notANumberSymbol = "NaN";
  std::string _exponentSymbol;
  std::optional<std::string> _currencySymbol;
  std::optional<std::string> _defaultCurrencySymbol;
};
