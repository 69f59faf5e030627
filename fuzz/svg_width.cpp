// The width reader of the display's SVG images on any bytes: a width within its bounds or none,
// never a crash and never an exception.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "display/QVRSVGImageSize.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto width = QVRSVGImageSize::widthFromData({data, size});
  if (width && !(std::isfinite(*width) && *width >= 0 && *width <= QVRSVGImageSize::maximumWidth)) {
    std::abort();
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto length = QVRSVGImageSize::lengthFromText(text); length && !(*length >= 0)) {
    std::abort();
  }
  return 0;
}
