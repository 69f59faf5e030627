#include "units/QVRTallixConversionRates.h"

#include <charconv>
#include <cmath>

#include "common/QVRException.h"
#include "common/QVRString.h"
#include "numbers/QVRTallixDecimal.h"
#include "units/QVRTallixDataLocale.h"

namespace {

// 2069-01-01 00:00 UTC: property-list dates end early in 2069.
constexpr double kEndOfCacheableDates = 3124137600;
// Seconds from 1970-01-01 to 2001-01-01, the reference date of property-list dates.
constexpr double kReferenceDateSince1970 = 978307200;

QVRException unreadable(std::string reason) {
  return QVRException::invalidArgument("conversion rates: " + std::move(reason));
}

std::string_view withoutCarriageReturn(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The number at the start of `text` as the platform's doubleValue reads it: blanks skipped, an
// optional sign, then the longest number; 0 when there is none.
double leadingDouble(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  if (text.starts_with('+') && !text.starts_with("+-")) text.remove_prefix(1);
  double value = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (failure == std::errc::result_out_of_range) return HUGE_VAL;
  return failure == std::errc() ? value : 0;
}

bool isBlank(char character) {
  return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

}  // namespace

bool QVRTallixConversionRates::isCurrencyCode(std::string_view code) {
  if (code.empty() || !QVRString::isValidUTF8(code)) return false;
  for (const char character : code) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte < 0x20 || byte == 0x7F) return false;
  }
  // U+FFFE and U+FFFF are no characters of XML.
  return code.find("\xEF\xBF\xBE") == std::string_view::npos &&
         code.find("\xEF\xBF\xBF") == std::string_view::npos;
}

std::optional<QVRTallixConversionRates::Clock::time_point>
QVRTallixConversionRates::dateFromSecondsSince1970(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0 || seconds >= kEndOfCacheableDates) {
    return std::nullopt;
  }
  return Clock::time_point(
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)));
}

std::optional<QVRTallixConversionRates::Clock::time_point>
QVRTallixConversionRates::dateFromSecondsSinceReferenceDate(double seconds) {
  return dateFromSecondsSince1970(seconds + kReferenceDateSince1970);
}

double QVRTallixConversionRates::secondsSinceReferenceDate(Clock::time_point time) {
  return std::chrono::duration<double>(time.time_since_epoch()).count() - kReferenceDateSince1970;
}

QVRTallixConversionRates QVRTallixConversionRates::fromDownload(std::string_view body) {
  std::string_view start = body;
  if (start.starts_with("\xEF\xBB\xBF")) start.remove_prefix(3);
  while (!start.empty() && isBlank(start.front())) start.remove_prefix(1);
  if (start.starts_with('<')) return fromECBXML(body);
  return fromRatesText(body);
}

QVRTallixConversionRates QVRTallixConversionRates::fromRatesText(std::string_view text) {
  if (text.size() > maximumSize) throw unreadable("more than a megabyte");
  if (!QVRString::isValidUTF8(text)) throw unreadable("text that is no UTF-8");
  const std::size_t firstLineEnd = text.find('\n');
  if (firstLineEnd == std::string_view::npos) throw unreadable("fewer than two lines");
  const auto publicationTime =
      dateFromSecondsSince1970(leadingDouble(withoutCarriageReturn(text.substr(0, firstLineEnd))));
  if (!publicationTime) throw unreadable("a publication time outside 1970 to 2068");

  Table rates;
  std::string_view rest = text.substr(firstLineEnd + 1);
  while (true) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = withoutCarriageReturn(rest.substr(0, end));
    const std::size_t space = line.find(' ');
    if (space != std::string_view::npos && line.find(' ', space + 1) == std::string_view::npos) {
      const std::string_view code = line.substr(0, space);
      const std::string_view rate = line.substr(space + 1);
      if (isCurrencyCode(code) && isCurrencyCode(rate) &&
          QVRTallixDecimal::fromString(rate, gQVRTallixDataDecimalSeparator, true)) {
        rates.insert_or_assign(std::string(code), std::string(rate));
      }
    }
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  if (rates.empty()) throw unreadable("no rate line");
  return QVRTallixConversionRates(*publicationTime, std::move(rates));
}
