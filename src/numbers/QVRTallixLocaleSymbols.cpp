#include "numbers/QVRTallixLocaleSymbols.h"

#include <unicode/dcfmtsym.h>
#include <unicode/decimfmt.h>
#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#include <unicode/numfmt.h>
#include <unicode/ucurr.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

#include "common/QVREnvironment.h"

namespace {

std::string utf8(const icu::UnicodeString& text) {
  std::string result;
  text.toUTF8String(result);
  return result;
}

std::string symbol(const icu::DecimalFormatSymbols& symbols,
                   icu::DecimalFormatSymbols::ENumberFormatSymbol which, std::string fallback) {
  std::string text = utf8(symbols.getSymbol(which));
  return text.empty() ? fallback : text;
}

// One run of a pattern's affix: literal text, or the place of the currency symbol.
struct AffixPart {
  std::string text;
  bool isSymbol = false;
};

bool isNumberCharacter(char16_t c) {
  return c == u'#' || c == u',' || c == u'.' || c == u'@' || (c >= u'0' && c <= u'9');
}

// The affix text of pattern[begin, end): quotes give literal text, "¤" stands for the symbol
// ("¤¤" for the ISO code), "-" for the minus sign and "%" for the percent sign.
QVRTallixLocaleSymbols::Affix affixOf(const icu::UnicodeString& pattern, int32_t begin, int32_t end,
                                      const QVRTallixLocaleSymbols& symbols) {
  QVRTallixLocaleSymbols::Affix affix;
  bool quoted = false;
  for (int32_t i = begin; i < end; ++i) {
    const char16_t c = pattern.charAt(i);
    if (c == u'\'') {
      if (i + 1 < end && pattern.charAt(i + 1) == u'\'') {
        affix.text += '\'';
        ++i;
      } else {
        quoted = !quoted;
      }
    } else if (quoted) {
      affix.text += utf8(icu::UnicodeString(c));
    } else if (c == u'\u00A4') {
      int32_t run = 1;
      while (i + 1 < end && pattern.charAt(i + 1) == u'\u00A4') {
        ++run;
        ++i;
      }
      if (run == 2 && !symbols.currencyCode.empty()) {
        affix.text += symbols.currencyCode;
      } else if (!affix.hasSymbol()) {
        affix.symbolPosition = affix.text.size();
      }
    } else if (c == u'-') {
      affix.text += symbols.minusSign;
    } else if (c == u'%') {
      affix.text += symbols.percentSign;
    } else {
      affix.text += utf8(icu::UnicodeString(c));
    }
  }
  return affix;
}

// Prefix and suffix of one subpattern, "¤#,##0.00" or "#,##0.00 ¤".
std::pair<QVRTallixLocaleSymbols::Affix, QVRTallixLocaleSymbols::Affix> affixesOf(
    const icu::UnicodeString& pattern, const QVRTallixLocaleSymbols& symbols) {
  int32_t first = -1;
  int32_t last = -1;
  bool quoted = false;
  for (int32_t i = 0; i < pattern.length(); ++i) {
    const char16_t c = pattern.charAt(i);
    if (c == u'\'') {
      quoted = !quoted;
    } else if (!quoted && isNumberCharacter(c)) {
      if (first < 0) first = i;
      last = i;
    }
  }
  if (first < 0) {
    QVRTallixLocaleSymbols::Affix prefix;
    prefix.symbolPosition = 0;
    return {prefix, {}};
  }
  return {affixOf(pattern, 0, first, symbols),
          affixOf(pattern, last + 1, pattern.length(), symbols)};
}

// The subpatterns of a pattern, split at its first unquoted ";".
std::pair<icu::UnicodeString, icu::UnicodeString> subpatterns(const icu::UnicodeString& pattern) {
  bool quoted = false;
  for (int32_t i = 0; i < pattern.length(); ++i) {
    const char16_t c = pattern.charAt(i);
    if (c == u'\'') quoted = !quoted;
    if (c == u';' && !quoted) {
      return {pattern.tempSubString(0, i), pattern.tempSubString(i + 1)};
    }
  }
  return {pattern, icu::UnicodeString()};
}

QVRTallixLocaleSymbols::Grouping groupingOf(const icu::NumberFormat* format, int minimumDigits) {
  QVRTallixLocaleSymbols::Grouping grouping;
  grouping.minimumDigits = minimumDigits;
  const auto* decimal = dynamic_cast<const icu::DecimalFormat*>(format);
  if (!decimal || !decimal->isGroupingUsed()) {
    grouping.primarySize = 0;
    return grouping;
  }
  grouping.primarySize = std::max(0, decimal->getGroupingSize());
  const int secondary = decimal->getSecondaryGroupingSize();
  grouping.secondarySize = secondary > 0 ? secondary : grouping.primarySize;
  return grouping;
}

// Whether the locale groups a four-digit number: ICU keeps the locale's minimum grouping digits
// to itself, so they are read off what its formatter writes for 1234.
int minimumGroupingDigits(const icu::Locale& locale, const std::string& groupingSeparator) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::number::FormattedNumber formatted =
      icu::number::NumberFormatter::withLocale(locale).formatInt(1234, status);
  const std::string text = utf8(formatted.toString(status));
  if (U_FAILURE(status) || groupingSeparator.empty()) return 1;
  return text.find(groupingSeparator) == std::string::npos ? 2 : 1;
}

std::string currencyOfLocale(const icu::Locale& locale) {
  UErrorCode status = U_ZERO_ERROR;
  char16_t code[4] = {};
  const int32_t length = ucurr_forLocale(locale.getName(), code, 4, &status);
  if (U_FAILURE(status) || length != 3) return {};
  return utf8(icu::UnicodeString(code, length));
}

std::string currencySymbolOf(const std::string& code, const icu::Locale& locale,
                             const std::string& fallback) {
  if (code.size() != 3) return fallback;
  icu::UnicodeString isoCode = icu::UnicodeString::fromUTF8(code);
  UErrorCode status = U_ZERO_ERROR;
  UBool isChoiceFormat = false;
  int32_t length = 0;
  const char16_t* name = ucurr_getName(isoCode.getTerminatedBuffer(), locale.getName(),
                                       UCURR_SYMBOL_NAME, &isChoiceFormat, &length, &status);
  if (U_FAILURE(status) || !name || length == 0) return fallback;
  return utf8(icu::UnicodeString(name, length));
}

int fractionDigitsOf(const std::string& code, int fallback) {
  if (code.size() != 3) return fallback;
  icu::UnicodeString isoCode = icu::UnicodeString::fromUTF8(code);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t digits = ucurr_getDefaultFractionDigits(isoCode.getTerminatedBuffer(), &status);
  if (U_FAILURE(status)) return fallback;
  return std::clamp(digits, 0, 10);
}

// The symbols read so far, by locale and currency: ICU is asked once per environment.
class SymbolsCache {
 public:
  std::shared_ptr<const QVRTallixLocaleSymbols> symbols(std::string_view localeIdentifier,
                                                        std::string_view currencyCode) {
    std::string key;
    key.reserve(localeIdentifier.size() + currencyCode.size() + 1);
    key.append(localeIdentifier).append(1, '|').append(currencyCode);
    auto found = _symbols.find(key);
    if (found != _symbols.end()) return found->second;
    auto made = std::make_shared<const QVRTallixLocaleSymbols>(
        QVRTallixLocaleSymbols::readSymbols(localeIdentifier, currencyCode));
    _symbols.emplace(std::move(key), made);
    return made;
  }

 private:
  std::map<std::string, std::shared_ptr<const QVRTallixLocaleSymbols>, std::less<>> _symbols;
};

}  // namespace

std::string QVRTallixLocaleSymbols::Affix::withSymbol(std::string_view symbol) const {
  if (!hasSymbol()) return text;
  std::string result;
  result.reserve(text.size() + symbol.size());
  result.append(text, 0, symbolPosition).append(symbol).append(text, symbolPosition);
  return result;
}

std::shared_ptr<const QVRTallixLocaleSymbols> QVRTallixLocaleSymbols::symbolsForLocale(
    std::string_view localeIdentifier, std::string_view currencyCode) {
  return QVREnvironment::current().sharedInstance<SymbolsCache>().symbols(localeIdentifier,
                                                                          currencyCode);
}

QVRTallixLocaleSymbols QVRTallixLocaleSymbols::readSymbols(std::string_view localeIdentifier,
                                                           std::string_view currencyCode) {
  using Symbol = icu::DecimalFormatSymbols::ENumberFormatSymbol;
  QVRTallixLocaleSymbols symbols;
  symbols.localeIdentifier = std::string(localeIdentifier);
  const icu::Locale locale(symbols.localeIdentifier.c_str());

  UErrorCode status = U_ZERO_ERROR;
  const icu::DecimalFormatSymbols formatSymbols(locale, status);
  if (U_FAILURE(status)) return symbols;
  symbols.decimalSeparator = symbol(formatSymbols, Symbol::kDecimalSeparatorSymbol, ".");
  symbols.groupingSeparator = symbol(formatSymbols, Symbol::kGroupingSeparatorSymbol, ",");
  symbols.currencyDecimalSeparator =
      symbol(formatSymbols, Symbol::kMonetarySeparatorSymbol, symbols.decimalSeparator);
  symbols.currencyGroupingSeparator =
      symbol(formatSymbols, Symbol::kMonetaryGroupingSeparatorSymbol, symbols.groupingSeparator);
  symbols.minusSign = symbol(formatSymbols, Symbol::kMinusSignSymbol, "-");
  symbols.percentSign = symbol(formatSymbols, Symbol::kPercentSymbol, "%");
  symbols.exponentSymbol = symbol(formatSymbols, Symbol::kExponentialSymbol, "E");
  const int minimumDigits = minimumGroupingDigits(locale, symbols.groupingSeparator);

  status = U_ZERO_ERROR;
  const std::unique_ptr<icu::NumberFormat> decimal(
      icu::NumberFormat::createInstance(locale, UNUM_DECIMAL, status));
  if (U_SUCCESS(status) && decimal) {
    symbols.grouping = groupingOf(decimal.get(), minimumDigits);
    icu::UnicodeString one;
    decimal->format(int32_t{1}, one);
    symbols.writesASCIIDigits = one == icu::UnicodeString(u"1");
  }

  symbols.currencyCode =
      currencyCode.empty() ? currencyOfLocale(locale) : std::string(currencyCode);
  symbols.currencySymbol = currencySymbolOf(
      symbols.currencyCode, locale, symbol(formatSymbols, Symbol::kCurrencySymbol, "\u00A4"));
  status = U_ZERO_ERROR;
  const std::unique_ptr<icu::NumberFormat> currency(
      icu::NumberFormat::createInstance(locale, UNUM_CURRENCY, status));
  icu::UnicodeString pattern(u"\u00A4#,##0.00");
  int patternFractionDigits = 2;
  if (U_SUCCESS(status) && currency) {
    symbols.currencyGrouping = groupingOf(currency.get(), minimumDigits);
    if (const auto* currencyDecimal = dynamic_cast<const icu::DecimalFormat*>(currency.get())) {
      currencyDecimal->toPattern(pattern);
      patternFractionDigits = currencyDecimal->getMaximumFractionDigits();
    }
  }
  symbols.currencyFractionDigits = fractionDigitsOf(symbols.currencyCode, patternFractionDigits);
  const auto [positive, negative] = subpatterns(pattern);
  std::tie(symbols.currencyPositivePrefix, symbols.currencyPositiveSuffix) =
      affixesOf(positive, symbols);
  if (negative.isEmpty()) {
    symbols.currencyNegativePrefix = symbols.currencyPositivePrefix;
    symbols.currencyNegativePrefix.text.insert(0, symbols.minusSign);
    if (symbols.currencyNegativePrefix.hasSymbol()) {
      symbols.currencyNegativePrefix.symbolPosition += symbols.minusSign.size();
    }
    symbols.currencyNegativeSuffix = symbols.currencyPositiveSuffix;
  } else {
    std::tie(symbols.currencyNegativePrefix, symbols.currencyNegativeSuffix) =
        affixesOf(negative, symbols);
  }
  return symbols;
}
