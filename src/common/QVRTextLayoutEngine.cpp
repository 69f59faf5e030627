#include "common/QVRTextLayoutEngine.h"

#include <cmath>
#include <limits>

std::uint64_t QVRTextLayoutEngine::cachedImageWidth(const std::string& name,
                                                    std::string_view imageName) {
  if (const auto found = _imageWidths.find(name); found != _imageWidths.end()) {
    return found->second;
  }
  std::uint64_t width = 0;
  // Truncated like the platform's conversion of a size to an unsigned integer; what cannot be
  // converted (negative, not finite, too large) counts as no image.
  if (const std::optional<double> measured = widthOfImage(imageName);
      measured && std::isfinite(*measured) && *measured >= 0 &&
      *measured < static_cast<double>(std::numeric_limits<std::uint32_t>::max())) {
    width = static_cast<std::uint64_t>(*measured);
  }
  _imageWidths.emplace(name, width);
  return width;
}
