#include "tallix/TallixNumberArgument.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/QVREnvironment.h"
#include "numbers/QVRTallixNumberFormatter.h"
#include "numbers/QVRTallixSharedNumberFormatters.h"

namespace tallix {

namespace {

constexpr std::string_view kMinusSign = "\u2212";

// The decimal digits (of any script) in `text`.
std::size_t digitCount(std::string_view text) {
  std::size_t count = 0;
  std::int32_t index = 0;
  const auto length = static_cast<std::int32_t>(text.size());
  while (index < length) {
    UChar32 character = 0;
    U8_NEXT(text.data(), index, length, character);
    if (character >= 0 && u_charType(character) == U_DECIMAL_DIGIT_NUMBER) ++count;
  }
  return count;
}

// `text` with the formatter's minus sign (which may carry direction marks) written as "-".
std::string withPlainMinus(std::string_view text, const QVRTallixNumberFormatter& formatter) {
  const std::string& minus = formatter.symbols().minusSign;
  if (minus.empty() || minus == "-" || !text.starts_with(minus)) return std::string(text);
  // Appended rather than "-" + rest, which g++ 12 warns about wrongly (-Wrestrict) at -O3.
  std::string plain(1, '-');
  plain.append(text.substr(minus.size()));
  return plain;
}

// Whether the grouping separators of `text`, if any, stand where the formatter's locale puts
// them: the last group of the integer part has the primary size, the groups before it the
// secondary size, the first one at most that.
bool groupedAsTheLocaleGroups(std::string_view text, const QVRTallixNumberFormatter& formatter) {
  const QVRTallixLocaleSymbols& symbols = formatter.symbols();
  const std::string& separator = symbols.groupingSeparator;
  if (separator.empty()) return true;
  std::string_view integer = text;
  if (!symbols.decimalSeparator.empty()) {
    integer = integer.substr(0, integer.find(symbols.decimalSeparator));
  }
  std::vector<std::size_t> groups;
  while (true) {
    const std::size_t at = integer.find(separator);
    groups.push_back(digitCount(integer.substr(0, at)));
    if (at == std::string_view::npos) break;
    integer.remove_prefix(at + separator.size());
  }
  if (groups.size() == 1) return true;
  const auto primary = static_cast<std::size_t>(symbols.grouping.primarySize);
  const auto secondary = static_cast<std::size_t>(symbols.grouping.secondarySize);
  if (primary == 0 || groups.back() != primary) return false;
  if (groups.front() < 1 || groups.front() > secondary) return false;
  for (std::size_t index = 1; index + 1 < groups.size(); ++index) {
    if (groups[index] != secondary) return false;
  }
  return true;
}

std::optional<QVRTallixDecimal> readPlain(std::string_view text,
                                          const QVRTallixNumberFormatter& formatter) {
  const std::string plain = withPlainMinus(text, formatter);
  if (!groupedAsTheLocaleGroups(plain, formatter)) return std::nullopt;
  return formatter.numberFromString(plain);
}

// The scientific notation of the standard style: a mantissa without grouping, the formatter's
// exponent symbol, an optional minus sign and ASCII digits; only for the magnitudes that the
// standard style prints so.
std::optional<QVRTallixDecimal> readScientific(std::string_view text,
                                               const QVRTallixNumberFormatter& formatter) {
  const std::string& exponentSymbol = formatter.exponentSymbol();
  if (exponentSymbol.empty()) return std::nullopt;
  const std::size_t at = text.find(exponentSymbol);
  if (at == std::string_view::npos) return std::nullopt;
  const std::string mantissaText = withPlainMinus(text.substr(0, at), formatter);
  std::string_view exponentText = text.substr(at + exponentSymbol.size());
  std::string exponent;
  for (const std::string_view minus :
       {std::string_view(formatter.symbols().minusSign), std::string_view("-"), kMinusSign}) {
    if (!minus.empty() && exponentText.starts_with(minus)) {
      exponent = "-";
      exponentText.remove_prefix(minus.size());
      break;
    }
  }
  if (exponentText.empty() || exponentText.size() > 4) return std::nullopt;
  for (const char digit : exponentText) {
    if (digit < '0' || digit > '9') return std::nullopt;
  }
  exponent += exponentText;
  const std::string& grouping = formatter.symbols().groupingSeparator;
  if (!grouping.empty() && mantissaText.find(grouping) != std::string::npos) return std::nullopt;
  const auto mantissa = formatter.numberFromString(mantissaText);
  if (!mantissa) return std::nullopt;
  const auto value =
      QVRTallixDecimal::fromString(mantissa->description() + "e" + exponent, ".", true);
  if (!value || value->isZero()) return std::nullopt;
  const double magnitude = std::fabs(value->doubleValue());
  if (magnitude < 1e15 && magnitude >= 1e-8) return std::nullopt;
  return value;
}

}  // namespace

std::optional<QVRTallixDecimal> TallixNumberArgument::read(std::string_view text) {
  if (text.size() > QVRTallixNumberFormatter::maximumParsedLength) return std::nullopt;
  // The user's own notation first, then the one tallix prints with.
  QVRTallixNumberFormatter own(QVREnvironment::current().localeIdentifier());
  own.setNumberStyle(QVRTallixNumberFormatter::Style::decimal);
  if (auto value = readPlain(text, own)) return value;
  const QVRTallixNumberFormatter printing =
      QVRTallixSharedNumberFormatters::shared().numberFormatter();
  if (printing.localeIdentifier() != own.localeIdentifier()) {
    if (auto value = readPlain(text, printing)) return value;
  }
  return readScientific(text, printing);
}

}  // namespace tallix
