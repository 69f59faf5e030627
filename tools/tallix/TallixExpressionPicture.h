#pragma once

#include <cairo.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "display/QVRTallixExpressionDisplayItem.h"

class QVRGlyphLayoutEngine;

namespace tallix {

// A picture of an expression's row of display items, laid out by the glyph engine and drawn
// with cairo on a white background: typed text at its glyph positions, operations and the angle
// mode as badges like their SVG images (a rounded box with the operation's sign), calculated
// numbers in rounded boxes. Glyphs are drawn as their outlines from the engine's FreeType face,
// so PNG and SVG show exactly the shapes that were measured, and cairo never keeps the face.
class TallixExpressionPicture {
 public:
  // Space around the row, in points.
  static constexpr double margin = 6;
  // The largest scale of a PNG.
  static constexpr double maximumScale = 16;

  // The items of the expression laid out with the engine at the display's font size.
  TallixExpressionPicture(QVRGlyphLayoutEngine& engine, const QVRTallixExpression& expression);

  const std::vector<QVRTallixExpressionDisplayItem>& items() const { return _items; }
  // The picture's size in points.
  double width() const;
  double height() const;

  // Writes the picture as a PNG of `scale` pixels per point (0 < scale ≤ maximumScale), or as
  // an SVG; answers the reason when the file could not be written.
  std::optional<std::string> writePNG(const std::filesystem::path& file, double scale) const;
  std::optional<std::string> writeSVG(const std::filesystem::path& file) const;

 private:
  void draw(cairo_t* cairo) const;
  // Draws `text` with its first glyph's origin at (x, baseline), at `fontSize`.
  void drawText(cairo_t* cairo, const std::string& text, double x, double baseline,
                double fontSize) const;
  void drawBadge(cairo_t* cairo, const QVRTallixExpressionDisplayItem& item) const;
  void drawCalculatedNumber(cairo_t* cairo, const QVRTallixExpressionDisplayItem& item) const;

  QVRGlyphLayoutEngine& _engine;
  std::vector<QVRTallixExpressionDisplayItem> _items;
};

}  // namespace tallix
