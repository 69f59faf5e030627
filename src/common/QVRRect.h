#pragma once

#include <fmt/format.h>

#include <ostream>
#include <string>

// A rectangle of the drawing plane in points: origin (x, y), size (width, height).
struct QVRRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  double maxX() const { return x + width; }

  // The platform's rectangle-to-text form, "{{x, y}, {w, h}}", each value with up to 17
  // significant digits and no trailing zeros ("{{0, 1}, {26.5, 0}}").
  std::string description() const {
    return fmt::format("{{{{{:.17g}, {:.17g}}}, {{{:.17g}, {:.17g}}}}}", x, y, width, height);
  }

  friend bool operator==(const QVRRect&, const QVRRect&) = default;
};

// For readable test failures: the description.
inline void PrintTo(const QVRRect& rect, std::ostream* stream) {
  *stream << rect.description();
}
