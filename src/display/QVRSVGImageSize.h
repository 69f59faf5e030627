#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

// The width of an SVG image, read from its root element: the "width" attribute (a number in
// user units, optionally with "px", or in "pt", "pc", "in", "cm" or "mm" at 96 user units per
// inch), or, without one, the width of the "viewBox". Percentages, "em" and "ex" depend on
// surroundings the image does not have: they give no width, as do bytes that are no SVG document,
// negative or absurd widths (beyond 100,000) and files larger than 1 MB. Never raises.
class QVRSVGImageSize {
 public:
  QVRSVGImageSize() = delete;

  static constexpr double maximumWidth = 100000;

  static std::optional<double> widthFromData(std::span<const std::uint8_t> bytes);
  static std::optional<double> widthFromFile(const std::filesystem::path& path);
  // A length of the width attribute ("24", "24px", "18pt", " 2.5in ").
  static std::optional<double> lengthFromText(std::string_view text);
};
