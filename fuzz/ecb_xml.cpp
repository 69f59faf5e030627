// The European Central Bank's daily XML on any bytes: a table of rates or QVRException (which the
// download's completion catches), never a crash; a table it reads has the euro at 1, usable codes
// and rates, and survives the cache.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FuzzConversionRates.h"
#include "common/QVRException.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const auto rates = QVRTallixConversionRates::fromECBXML(bytes);
    FuzzConversionRates::checkRates(rates);
    if (rates.rates().at("EUR") != "1") std::abort();
  } catch (const QVRException&) {
  }
  return 0;
}
