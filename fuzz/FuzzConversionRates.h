#pragma once

#include <chrono>
#include <cstdlib>
#include <optional>

#include "common/QVRPropertyListWriter.h"
#include "numbers/QVRTallixDecimal.h"
#include "units/QVRTallixConversionRates.h"
#include "units/QVRTallixConversionRatesCache.h"

// What every table of rates read from outside must satisfy: codes that can key the cache, rate
// texts that read whole as decimals, and a cache file written of it that reads back the same.
namespace FuzzConversionRates {

// XML property lists hold dates to the second.
inline bool closeDates(const std::optional<QVRTallixConversionRates::Clock::time_point>& left,
                       const std::optional<QVRTallixConversionRates::Clock::time_point>& right) {
  if (!left || !right) return left.has_value() == right.has_value();
  const auto difference = *left > *right ? *left - *right : *right - *left;
  return difference < std::chrono::seconds(1);
}

inline void checkCacheRoundTrip(const QVRTallixConversionRatesCache::Contents& contents) {
  const auto written = QVRPropertyListWriter::dataFromPropertyList(
      QVRTallixConversionRatesCache::propertyList(contents), QVRPropertyListWriter::Format::xml);
  if (!written.value) std::abort();
  const auto again = QVRTallixConversionRatesCache::contentsOfData(*written.value);
  if (again.conversionRates != contents.conversionRates ||
      !closeDates(again.lastFetchDate, contents.lastFetchDate) ||
      !closeDates(again.lastUpdateDate, contents.lastUpdateDate)) {
    std::abort();
  }
}

inline void checkRates(const QVRTallixConversionRates& rates) {
  if (rates.rates().empty()) std::abort();
  for (const auto& [code, rate] : rates.rates()) {
    if (!QVRTallixConversionRates::isCurrencyCode(code) ||
        !QVRTallixConversionRates::isCurrencyCode(rate) ||
        !QVRTallixDecimal::fromString(rate, ".", true)) {
      std::abort();
    }
  }
  checkCacheRoundTrip({rates.publicationTime(), rates.publicationTime(), rates.rates()});
}

}  // namespace FuzzConversionRates
