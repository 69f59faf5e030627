#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// A table of exchange rates as a download states it: the time of its publication and, per
// currency code, the rate as decimal text (the value of one unit of the currency in the
// reference currency, "." as the decimal separator). A value.
//
// Two formats are read, told apart by their first character (after a byte-order mark and
// blanks): "<" starts the European Central Bank's daily reference rates (eurofxref-daily.xml),
// anything else is the rates text:
//
//   1761782400          <- line 1: the publication time, seconds since 1970-01-01 00:00 UTC
//   USD 0.8950948       <- every further line "CODE RATE", split at single spaces
//
// The readers raise QVRException for anything they cannot take; the download's completion is
// the one place that catches it.
class QVRTallixConversionRates {
 public:
  using Clock = std::chrono::system_clock;
  using Table = std::map<std::string, std::string, std::less<>>;

  // Larger downloads are refused unread: the real ones are about 2 kB.
  static constexpr std::size_t maximumSize = std::size_t{1} << 20;
  // The reference currency of the European Central Bank's rates.
  static constexpr std::string_view ecbReferenceCurrency = "EUR";

  QVRTallixConversionRates(Clock::time_point publicationTime, Table rates)
      : _publicationTime(publicationTime), _rates(std::move(rates)) {}

  // The rates of a download in either format.
  static QVRTallixConversionRates fromDownload(std::string_view body);

  // The rates text. Line 1 is read as a double (leading blanks skipped, what follows the number
  // ignored, no number reading as 0); a time that is not finite, before 1970 or from 2069 on
  // (which the cache file cannot hold) is refused. A rate line has exactly two parts, a code
  // and a rate without control characters, the rate reading whole as a decimal number; other lines
  // are skipped, and a later line with the same code replaces an earlier one. A "\r" ending a line
  // is dropped. Fewer than two lines, or no rate line, are refused.
  static QVRTallixConversionRates fromRatesText(std::string_view text);

  // The daily XML of the European Central Bank: the first <Cube time="YYYY-MM-DD"> holds
  // <Cube currency="USD" rate="1.1172"/> elements, each the units of the currency per euro. The
  // rate of a currency is the reciprocal (to the decimal's precision), the euro's is "1", and
  // the publication time is the date at 00:00 UTC. Cubes whose rate is no positive number are
  // skipped; a document without a dated cube or without any usable rate is refused.
  static QVRTallixConversionRates fromECBXML(std::string_view xml);

  // Seconds since 1970-01-01 00:00 UTC as a time of the clock, when it is finite and within the
  // years the cache file can hold (1970 to 2068).
  static std::optional<Clock::time_point> dateFromSecondsSince1970(double seconds);
  // The same for seconds since 2001-01-01 00:00 UTC, the reference date of property lists.
  static std::optional<Clock::time_point> dateFromSecondsSinceReferenceDate(double seconds);
  static double secondsSinceReferenceDate(Clock::time_point time);

  // Whether `code` may key the table (or be a rate's text): UTF-8, not empty, and none of the
  // control characters, U+FFFE or U+FFFF, which the cache file (XML) could not hold.
  static bool isCurrencyCode(std::string_view code);

  Clock::time_point publicationTime() const { return _publicationTime; }
  const Table& rates() const { return _rates; }

 private:
  Clock::time_point _publicationTime;
  Table _rates;
};
