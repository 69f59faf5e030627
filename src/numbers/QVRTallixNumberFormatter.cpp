#include "numbers/QVRTallixNumberFormatter.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>

#include "common/QVRException.h"
#include "numbers/QVRDecimalDigits.h"

namespace {

constexpr std::string_view noBreakSpace = "\u00A0";
constexpr std::string_view narrowNoBreakSpace = "\u202F";
constexpr std::string_view minusSignCharacter = "\u2212";

// The code point at `index` of UTF-8 text (negative for an ill-formed sequence) and where the
// next one begins.
UChar32 codePointAt(std::string_view text, std::size_t& index) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  auto position = static_cast<int32_t>(index);
  UChar32 c;
  U8_NEXT(bytes, position, length, c);
  index = static_cast<std::size_t>(position);
  return c;
}

UChar32 firstCodePoint(std::string_view text) {
  std::size_t index = 0;
  return text.empty() ? U_SENTINEL : codePointAt(text, index);
}

UChar32 lastCodePoint(std::string_view text) {
  if (text.empty()) return U_SENTINEL;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  auto position = static_cast<int32_t>(text.size());
  UChar32 c;
  U8_PREV(bytes, 0, position, c);
  return c;
}

// CLDR's currency spacing (the same in every locale): a symbol whose character next to the
// digits is neither a symbol nor a separator ("CHF", not "$") is kept apart from them by a
// no-break space.
bool needsCurrencySpacing(UChar32 edge) {
  if (edge < 0) return false;
  return (U_GET_GC_MASK(edge) & (U_GC_S_MASK | U_GC_Z_MASK)) == 0;
}

bool isWhiteSpace(std::string_view text) {
  const UChar32 c = firstCodePoint(text);
  return c >= 0 && u_hasBinaryProperty(c, UCHAR_WHITE_SPACE);
}

bool isASCII(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

void addUnique(std::vector<std::string>& list, std::string_view text) {
  if (text.empty()) return;
  if (std::find(list.begin(), list.end(), text) == list.end()) list.emplace_back(text);
}

// Appends the integer digits with separators before each group: the first group from the right
// has the primary size, the others the secondary one.
void appendGrouped(std::string& out, std::string_view digits,
                   const QVRTallixLocaleSymbols::Grouping& grouping, std::string_view separator,
                   bool useGrouping) {
  const auto length = static_cast<long>(digits.size());
  const long primary = grouping.primarySize;
  const long secondary = grouping.secondarySize > 0 ? grouping.secondarySize : primary;
  if (!useGrouping || primary <= 0 || length < primary + std::max(grouping.minimumDigits, 1)) {
    out.append(digits);
    return;
  }
  for (long i = 0; i < length; ++i) {
    const long right = length - i;
    if (i > 0 && right >= primary && (right - primary) % secondary == 0) out.append(separator);
    out.push_back(digits[static_cast<std::size_t>(i)]);
  }
}

}  // namespace

QVRTallixNumberFormatter::QVRTallixNumberFormatter(std::string_view localeIdentifier) {
  setLocaleIdentifier(localeIdentifier);
}

void QVRTallixNumberFormatter::setLocaleIdentifier(std::string_view localeIdentifier) {
  _symbols = QVRTallixLocaleSymbols::symbolsForLocale(localeIdentifier);
  _exponentSymbol = _symbols->exponentSymbol;
  _defaultCurrencySymbol.reset();
}

void QVRTallixNumberFormatter::setCurrencyCode(std::string_view currencyCode) {
  _symbols = QVRTallixLocaleSymbols::symbolsForLocale(_symbols->localeIdentifier, currencyCode);
}

std::string_view QVRTallixNumberFormatter::currencySymbol() const {
  if (_currencySymbol) return *_currencySymbol;
  if (_defaultCurrencySymbol) return *_defaultCurrencySymbol;
  return _symbols->currencySymbol;
}

// Formatting

std::string QVRTallixNumberFormatter::stringFromNumber(const QVRTallixDecimal& number) const {
  if (number.isNaN()) return _notANumberSymbol;
  switch (_numberStyle) {
    case Style::none:
      return decimalText(number.digits().roundedToScale(0, _roundingMode), false, 0, false);
    case Style::decimal: {
      const QVRDecimalDigits rounded =
          _usesSignificantDigits
              ? number.digits().roundedToSignificantDigits(_maximumSignificantDigits, _roundingMode)
              : number.digits().roundedToScale(_maximumFractionDigits, _roundingMode);
      return decimalText(rounded, true, 0, false);
    }
    case Style::scientific:
      return scientificText(number);
    case Style::currency:
      return currencyText(number);
  }
  return _notANumberSymbol;
}

std::string QVRTallixNumberFormatter::decimalText(const QVRDecimalDigits& value, bool grouping,
                                                  int minimumFractionDigits,
                                                  bool forCurrency) const {
  const QVRTallixLocaleSymbols& symbols = *_symbols;
  const std::string_view digits = value.digits();
  const long count = static_cast<long>(digits.size());
  const long exponent = value.exponent();
  // The integer digits, and the fraction digits as leading zeros and a tail of `digits`.
  std::string integer;
  std::string_view fraction;
  long leadingZeros = 0;
  if (exponent >= 0) {
    integer.assign(digits);
    if (!value.isZero()) integer.append(static_cast<std::size_t>(exponent), '0');
  } else if (count > -exponent) {
    integer.assign(digits.substr(0, static_cast<std::size_t>(count + exponent)));
    fraction = digits.substr(static_cast<std::size_t>(count + exponent));
  } else {
    integer = "0";
    leadingZeros = -exponent - count;
    fraction = digits;
  }
  while (!fraction.empty() && fraction.back() == '0' &&
         leadingZeros + static_cast<long>(fraction.size()) > minimumFractionDigits) {
    fraction.remove_suffix(1);
  }
  if (fraction.empty()) leadingZeros = 0;
  const long trailingZeros =
      std::max(0L, minimumFractionDigits - leadingZeros - static_cast<long>(fraction.size()));

  std::string text;
  text.reserve(integer.size() * 2 + fraction.size() + 16);
  if (value.isNegative() && !value.isZero() && !forCurrency) text.append(symbols.minusSign);
  appendGrouped(text, integer, forCurrency ? symbols.currencyGrouping : symbols.grouping,
                forCurrency ? symbols.currencyGroupingSeparator : symbols.groupingSeparator,
                grouping);
  if (leadingZeros + static_cast<long>(fraction.size()) + trailingZeros > 0) {
    text.append(forCurrency ? symbols.currencyDecimalSeparator : symbols.decimalSeparator);
    text.append(static_cast<std::size_t>(leadingZeros), '0');
    text.append(fraction);
    text.append(static_cast<std::size_t>(trailingZeros), '0');
  }
  return text;
}

std::string QVRTallixNumberFormatter::scientificText(const QVRTallixDecimal& number) const {
  const QVRTallixLocaleSymbols& symbols = *_symbols;
  if (number.isZero()) return "0" + _exponentSymbol + "0";
  const int maximum = _usesSignificantDigits ? std::max(_maximumSignificantDigits, 1) : 6;
  const QVRDecimalDigits rounded =
      number.digits().roundedToSignificantDigits(maximum, _roundingMode);
  std::string_view digits = rounded.digits();
  const long power = rounded.leadingExponent();
  while (digits.size() > 1 && digits.back() == '0') digits.remove_suffix(1);
  std::string text;
  text.reserve(digits.size() + 16);
  if (number.isNegative()) text.append(symbols.minusSign);
  text.push_back(digits.front());
  if (digits.size() > 1) {
    text.append(symbols.decimalSeparator);
    text.append(digits.substr(1));
  }
  text.append(_exponentSymbol);
  if (power < 0) text.append(symbols.minusSign);
  text.append(std::to_string(power < 0 ? -power : power));
  return text;
}

std::string QVRTallixNumberFormatter::currencyText(const QVRTallixDecimal& number) const {
  const QVRTallixLocaleSymbols& symbols = *_symbols;
  const int fractionDigits = symbols.currencyFractionDigits;
  const QVRDecimalDigits rounded = number.digits().roundedToScale(fractionDigits, _roundingMode);
  // The sign is the pattern's business: the amount is written without it.
  const std::string amount = decimalText(rounded, true, fractionDigits, true);
  const bool negative = rounded.isNegative();
  const auto& prefix = negative ? symbols.currencyNegativePrefix : symbols.currencyPositivePrefix;
  const auto& suffix = negative ? symbols.currencyNegativeSuffix : symbols.currencyPositiveSuffix;
  const std::string_view symbol = currencySymbol();
  std::string text = prefix.withSymbol(symbol);
  if (prefix.hasSymbol() && prefix.symbolPosition == prefix.text.size() &&
      needsCurrencySpacing(lastCodePoint(symbol))) {
    text.append(noBreakSpace);
  }
  text.append(amount);
  if (suffix.hasSymbol() && suffix.symbolPosition == 0 &&
      needsCurrencySpacing(firstCodePoint(symbol))) {
    text.append(noBreakSpace);
  }
  text.append(suffix.withSymbol(symbol));
  return text;
}

// Parsing

std::vector<std::string> QVRTallixNumberFormatter::parsedDecimalSeparators() const {
  std::vector<std::string> separators;
  addUnique(separators, _symbols->decimalSeparator);
  if (_lenient) {
    addUnique(separators, _symbols->currencyDecimalSeparator);
    if (!isASCII(_symbols->decimalSeparator)) addUnique(separators, ".");
  }
  return separators;
}

std::vector<std::string> QVRTallixNumberFormatter::parsedGroupingSeparators() const {
  std::vector<std::string> separators;
  addUnique(separators, _symbols->groupingSeparator);
  if (_lenient) addUnique(separators, _symbols->currencyGroupingSeparator);
  if (std::any_of(separators.begin(), separators.end(), isWhiteSpace)) {
    addUnique(separators, " ");
    addUnique(separators, noBreakSpace);
    addUnique(separators, narrowNoBreakSpace);
  }
  if (_lenient) {
    addUnique(separators, ".");
    addUnique(separators, ",");
  }
  // A decimal separator is never read as grouping.
  const std::vector<std::string> decimal = parsedDecimalSeparators();
  std::erase_if(separators, [&](const std::string& separator) {
    return std::find(decimal.begin(), decimal.end(), separator) != decimal.end();
  });
  return separators;
}

std::optional<QVRTallixDecimal> QVRTallixNumberFormatter::numberFromString(
    std::string_view text) const {
  if (text.size() > maximumParsedLength) {
    throw QVRException::invalidArgument("text of " + std::to_string(text.size()) +
                                        " bytes is too long to be a number");
  }
  const std::vector<std::string> decimalSeparators = parsedDecimalSeparators();
  const std::vector<std::string> groupingSeparators = parsedGroupingSeparators();
  const auto matchAt = [&](const std::vector<std::string>& candidates, std::size_t index) {
    for (const std::string& candidate : candidates) {
      if (text.substr(index).starts_with(candidate)) return candidate.size();
    }
    return std::size_t{0};
  };

  std::string normalized;
  normalized.reserve(text.size() + 1);
  std::size_t index = 0;
  if (text.starts_with('-')) {
    normalized.push_back('-');
    index = 1;
  } else if (text.starts_with(minusSignCharacter)) {
    normalized.push_back('-');
    index = minusSignCharacter.size();
  }
  bool sawDigit = false;
  bool sawSeparator = false;
  while (index < text.size()) {
    std::size_t next = index;
    const UChar32 c = codePointAt(text, next);
    if (c >= 0 && u_charType(c) == U_DECIMAL_DIGIT_NUMBER) {
      const int32_t value = u_charDigitValue(c);
      if (value < 0 || value > 9) return std::nullopt;
      normalized.push_back(static_cast<char>('0' + value));
      sawDigit = true;
      index = next;
    } else if (std::size_t length = sawSeparator ? 0 : matchAt(decimalSeparators, index)) {
      normalized.push_back('.');
      sawSeparator = true;
      index += length;
    } else if (std::size_t grouping =
                   sawSeparator || !sawDigit ? 0 : matchAt(groupingSeparators, index)) {
      index += grouping;
    } else {
      return std::nullopt;
    }
  }
  if (!sawDigit) return std::nullopt;
  return QVRTallixDecimal::fromString(normalized, ".", true);
}
