#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

#include "common/QVRError.h"
#include "common/QVRPropertyList.h"
#include "units/QVRTallixConversionRates.h"

// The cache of the exchange rates between runs, "conversionRates.plist" in the application's
// support directory: an XML property-list dictionary of three entries, "lastFecthDate" (sic: the
// key has always been spelt so) and "lastUpdateDate" (dates), and "conversionRates" (currency
// code to rate text). Written atomically; read with the checked property-list reader.
class QVRTallixConversionRatesCache {
 public:
  QVRTallixConversionRatesCache() = delete;

  using Clock = QVRTallixConversionRates::Clock;
  using Table = QVRTallixConversionRates::Table;

  static constexpr std::string_view fileName = "conversionRates.plist";
  static constexpr std::string_view lastFetchDateKey = "lastFecthDate";
  static constexpr std::string_view lastUpdateDateKey = "lastUpdateDate";
  static constexpr std::string_view conversionRatesKey = "conversionRates";
  // Larger files are refused unread.
  static constexpr std::size_t maximumSize = std::size_t{8} << 20;

  struct Contents {
    std::optional<Clock::time_point> lastFetchDate;
    std::optional<Clock::time_point> lastUpdateDate;
    std::optional<Table> conversionRates;
  };

  // The file's contents; all none when there is no file. Raises QVRException when the file
  // cannot be read or holds no property-list dictionary.
  static Contents contentsOfFile(const std::filesystem::path& path);
  // Raises QVRException when the bytes are no property-list dictionary. An entry of another kind
  // than its key's counts as missing (a date outside 1970 to 2068 too), and so does a rate that
  // is no text, or whose code or text holds a control character (which the
  // file could not hold again).
  static Contents contentsOfData(std::span<const std::uint8_t> bytes);

  static QVRPropertyList propertyList(const Contents& contents);
  // Writes the XML property list atomically; none on success, else what failed.
  static std::optional<QVRError> writeContents(const std::filesystem::path& path,
                                               const Contents& contents);
};
