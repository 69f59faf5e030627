// The cache file of the exchange rates on any bytes: its contents or QVRException (which the
// start-up catches and logs), never a crash; contents it reads are written back and read the
// same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzConversionRates.h"
#include "common/QVRException.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QVRTallixConversionRatesCache::Contents contents;
  try {
    contents = QVRTallixConversionRatesCache::contentsOfData({data, size});
  } catch (const QVRException&) {
    return 0;
  }
  if (contents.conversionRates) {
    for (const auto& [code, rate] : *contents.conversionRates) {
      if (!QVRTallixConversionRates::isCurrencyCode(code) ||
          !QVRTallixConversionRates::isCurrencyCode(rate)) {
        std::abort();
      }
    }
  }
  FuzzConversionRates::checkCacheRoundTrip(contents);
  return 0;
}
