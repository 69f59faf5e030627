// The rates text on any bytes: a table of rates or QVRException (which the download's completion
// catches), never a crash; a table it reads has usable codes and rates and survives the cache.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FuzzConversionRates.h"
#include "common/QVRException.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const auto rates = QVRTallixConversionRates::fromRatesText(bytes);
    FuzzConversionRates::checkRates(rates);

  } catch (const QVRException&) {
  }
  return 0;
}
