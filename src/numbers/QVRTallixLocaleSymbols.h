#pragma once

#include <memory>
#include <string>
#include <string_view>

// The number symbols and patterns of one locale and currency, read once from ICU and kept: the
// formatter (QVRTallixNumberFormatter) writes the decimal's digits itself and takes only these
// from ICU, whose own formatting would go through binary doubles and round half-even.
struct QVRTallixLocaleSymbols {
  // How the integer digits are grouped: the first group (from the right) has `primarySize`
  // digits, the others `secondarySize` (hi_IN: 3 and 2, "12,34,567"); no grouping when
  // primarySize is 0. A number is grouped only when its integer part has at least
  // primarySize + minimumDigits digits (es_ES and pl_PL write 1234 but 12.345).
  struct Grouping {
    int primarySize = 3;
    int secondarySize = 3;
    int minimumDigits = 1;
  };

  // The text before or after the amount in a currency pattern; the currency symbol, when the
  // pattern has one, goes at `symbolPosition` (a byte offset into `text`).
  struct Affix {
    std::string text;
    std::size_t symbolPosition = std::string::npos;

    bool hasSymbol() const { return symbolPosition != std::string::npos; }
    // The affix with `symbol` in its place.
    std::string withSymbol(std::string_view symbol) const;
  };

  // The ICU identifier the symbols were read for ("de_DE") and the currency they describe.
  std::string localeIdentifier;
  std::string currencyCode;

  std::string decimalSeparator = ".";
  std::string groupingSeparator = ",";
  Grouping grouping;
  // Money may use other separators: fr_CH writes 1 234,5 but 1 234.50 CHF.
  std::string currencyDecimalSeparator = ".";
  std::string currencyGroupingSeparator = ",";
  Grouping currencyGrouping;
  // With its direction marks where the locale has them (he_IL U+200E "-", sv_SE U+2212).
  std::string minusSign = "-";
  std::string percentSign = "%";
  std::string exponentSymbol = "E";

  // The currency's symbol in this locale ("$", "€", "CHF") and its digits after the point
  // (yen 0, dinar 3).
  std::string currencySymbol;
  int currencyFractionDigits = 2;
  Affix currencyPositivePrefix;
  Affix currencyPositiveSuffix;
  // Either the pattern's own negative form, or the minus sign before the positive prefix.
  Affix currencyNegativePrefix;
  Affix currencyNegativeSuffix;

  // Whether the locale writes the integer 1 as the ASCII "1".
  bool writesASCIIDigits = true;

  // The symbols of `localeIdentifier` for its own currency, or for `currencyCode` when one is
  // given (digits and symbol then follow that currency). Read from ICU once per locale and
  // currency and kept by the current environment; unknown locales get ICU's fallback (root).
  static std::shared_ptr<const QVRTallixLocaleSymbols> symbolsForLocale(
      std::string_view localeIdentifier, std::string_view currencyCode = {});

  // Reads them from ICU, without the cache.
  static QVRTallixLocaleSymbols readSymbols(std::string_view localeIdentifier,
                                            std::string_view currencyCode);
};
