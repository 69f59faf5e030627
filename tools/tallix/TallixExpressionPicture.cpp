#include "tallix/TallixExpressionPicture.h"

#include <cairo-svg.h>
#include <ft2build.h>
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <memory>

#include "display/QVRGlyphLayoutEngine.h"
#include "display/QVRTerminalCellLayoutEngine.h"
#include "expression/QVRTallixExpression.h"

namespace tallix {

namespace {

// The baseline of typed text and of the numbers in boxes, from the top of the row.
constexpr double baselineInRow = 13.5;
// The badges' sign, as in the SVG images.
constexpr double badgeFontSize = 12;
constexpr double badgeBaselineInRow = 12.5;
// cairo's largest image side.
constexpr double largestImageSide = 32767;

struct Color {
  double red, green, blue;
};
constexpr Color textColor = {0.11, 0.11, 0.11};
constexpr Color numberFill = {0.933, 0.953, 0.984}, numberStroke = {0.49, 0.576, 0.722},
                numberText = {0.05, 0.165, 0.36};
constexpr Color operationFill = {0.91, 0.925, 0.957}, operationStroke = {0.557, 0.604, 0.702},
                operationText = {0.122, 0.165, 0.267};
constexpr Color modeFill = {0.992, 0.941, 0.835}, modeStroke = {0.788, 0.604, 0.235},
                modeText = {0.353, 0.239, 0.0};

void setColor(cairo_t* cairo, Color color) {
  cairo_set_source_rgb(cairo, color.red, color.green, color.blue);
}

void roundedRectangle(cairo_t* cairo, double x, double y, double width, double height,
                      double radius) {
  radius = std::min({radius, width / 2, height / 2});
  cairo_new_sub_path(cairo);
  cairo_arc(cairo, x + width - radius, y + radius, radius, -M_PI / 2, 0);
  cairo_arc(cairo, x + width - radius, y + height - radius, radius, 0, M_PI / 2);
  cairo_arc(cairo, x + radius, y + height - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cairo, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
  cairo_close_path(cairo);
}

void fillAndStroke(cairo_t* cairo, Color fill, Color stroke) {
  setColor(cairo, fill);
  cairo_fill_preserve(cairo);
  setColor(cairo, stroke);
  cairo_set_line_width(cairo, 1);
  cairo_stroke(cairo);
}

// FreeType's outline walk, into cairo's current path. Called from C: nothing here raises.
int moveTo(const FT_Vector* to, void* user) noexcept {
  auto* cairo = static_cast<cairo_t*>(user);
  if (cairo_has_current_point(cairo)) cairo_close_path(cairo);
  cairo_move_to(cairo, static_cast<double>(to->x), static_cast<double>(to->y));
  return 0;
}
int lineTo(const FT_Vector* to, void* user) noexcept {
  cairo_line_to(static_cast<cairo_t*>(user), static_cast<double>(to->x),
                static_cast<double>(to->y));
  return 0;
}
int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) noexcept {
  auto* cairo = static_cast<cairo_t*>(user);
  double x0 = 0, y0 = 0;
  cairo_get_current_point(cairo, &x0, &y0);
  const double cx = static_cast<double>(control->x), cy = static_cast<double>(control->y);
  const double x3 = static_cast<double>(to->x), y3 = static_cast<double>(to->y);
  cairo_curve_to(cairo, x0 + 2.0 / 3 * (cx - x0), y0 + 2.0 / 3 * (cy - y0),
                 x3 + 2.0 / 3 * (cx - x3), y3 + 2.0 / 3 * (cy - y3), x3, y3);
  return 0;
}
int cubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to,
            void* user) noexcept {
  cairo_curve_to(static_cast<cairo_t*>(user), static_cast<double>(control1->x),
                 static_cast<double>(control1->y), static_cast<double>(control2->x),
                 static_cast<double>(control2->y), static_cast<double>(to->x),
                 static_cast<double>(to->y));
  return 0;
}

// The text of a badge: the sign the terminal shows, without the angle mode's brackets.
std::string badgeText(const QVRTallixExpressionDisplayItem& item) {
  if (item.type() == QVRTallixExpressionDisplayItemTypeTrignometricMode) {
    return item.radMode() ? "RAD" : "DEG";
  }
  return QVRTerminalCellLayoutEngine::cellText(item);
}

std::string cairoError(const std::filesystem::path& file, cairo_status_t status) {
  return "cannot write " + file.string() + ": " + cairo_status_to_string(status);
}

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

}  // namespace

TallixExpressionPicture::TallixExpressionPicture(QVRGlyphLayoutEngine& engine,
                                                 const QVRTallixExpression& expression)
    : _engine(engine),
      _items(QVRTallixExpressionDisplayItem::displayItemsFromExpression(
          expression, QVRTallixTextAttributes(engine))) {}

double TallixExpressionPicture::width() const {
  double right = 0;
  for (const auto& item : _items) right = std::max(right, item.frame().maxX());
  return std::ceil(right) + 2 * margin;
}

double TallixExpressionPicture::height() const {
  return QVRTallixExpressionDisplayItemHeight + 2 * margin;
}

std::optional<std::string> TallixExpressionPicture::writePNG(const std::filesystem::path& file,
                                                             double scale) const {
  const double pixelWidth = std::ceil(width() * scale), pixelHeight = std::ceil(height() * scale);
  if (!(scale > 0 && scale <= maximumScale) || pixelWidth > largestImageSide) {
    return "the picture would be too large for a PNG (" + std::to_string(pixelWidth) +
           " pixels wide); use --svg or a smaller --scale";
  }
  const Surface surface(cairo_image_surface_create(
      CAIRO_FORMAT_ARGB32, static_cast<int>(pixelWidth), static_cast<int>(pixelHeight)));
  const Context cairo(cairo_create(surface.get()));
  cairo_scale(cairo.get(), scale, scale);
  draw(cairo.get());
  if (const cairo_status_t status = cairo_status(cairo.get()); status != CAIRO_STATUS_SUCCESS) {
    return cairoError(file, status);
  }
  const cairo_status_t status = cairo_surface_write_to_png(surface.get(), file.c_str());
  if (status != CAIRO_STATUS_SUCCESS) return cairoError(file, status);
  return std::nullopt;
}

std::optional<std::string> TallixExpressionPicture::writeSVG(
    const std::filesystem::path& file) const {
  const Surface surface(cairo_svg_surface_create(file.c_str(), width(), height()));
  if (const cairo_status_t status = cairo_surface_status(surface.get());
      status != CAIRO_STATUS_SUCCESS) {
    return cairoError(file, status);
  }
  {
    const Context cairo(cairo_create(surface.get()));
    draw(cairo.get());
  }
  cairo_surface_finish(surface.get());
  if (const cairo_status_t status = cairo_surface_status(surface.get());
      status != CAIRO_STATUS_SUCCESS) {
    return cairoError(file, status);
  }
  return std::nullopt;
}

void TallixExpressionPicture::draw(cairo_t* cairo) const {
  cairo_set_source_rgb(cairo, 1, 1, 1);
  cairo_rectangle(cairo, 0, 0, width(), height());
  cairo_fill(cairo);
  for (const QVRTallixExpressionDisplayItem& item : _items) {
    switch (item.type()) {
      case QVRTallixExpressionDisplayItemTypeDigit:
        setColor(cairo, textColor);
        // Frame y is upwards, as glyph positions are.
        drawText(cairo, item.digit(), margin + item.frame().x,
                 margin + baselineInRow - item.frame().y, QVRTallixExpressionDisplayFontSize);
        break;
      case QVRTallixExpressionDisplayItemTypeOperation:
      case QVRTallixExpressionDisplayItemTypeTrignometricMode:
        drawBadge(cairo, item);
        break;
      case QVRTallixExpressionDisplayItemTypeCalculatedNumber:
        drawCalculatedNumber(cairo, item);
        break;
    }
  }
}

void TallixExpressionPicture::drawText(cairo_t* cairo, const std::string& text, double x,
                                       double baseline, double fontSize) const {
  const auto glyphs = _engine.shape(text, fontSize);
  FT_Face face = _engine.fontFace();
  if (!glyphs || face->units_per_EM == 0) return;
  const double unitsToPoints = fontSize / face->units_per_EM;
  const FT_Outline_Funcs walk = {moveTo, lineTo, conicTo, cubicTo, 0, 0};
  cairo_new_path(cairo);
  for (const QVRShapedGlyph& glyph : *glyphs) {
    if (FT_Load_Glyph(face, glyph.glyphIndex, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0 ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
      continue;
    }
    cairo_save(cairo);
    cairo_translate(cairo, x + glyph.position.x, baseline - glyph.position.y);
    cairo_scale(cairo, unitsToPoints, -unitsToPoints);
    FT_Outline_Decompose(&face->glyph->outline, &walk, cairo);
    if (cairo_has_current_point(cairo)) cairo_close_path(cairo);
    cairo_restore(cairo);
  }
  cairo_fill(cairo);
}

void TallixExpressionPicture::drawBadge(cairo_t* cairo,
                                        const QVRTallixExpressionDisplayItem& item) const {
  const QVRRect& frame = item.frame();
  if (frame.width < 2) return;
  const bool mode = item.type() == QVRTallixExpressionDisplayItemTypeTrignometricMode;
  roundedRectangle(cairo, margin + frame.x + 0.5, margin + 1.5, frame.width - 1, 14,
                   QVRTallixExpressionDisplayItemBorderRadius);
  fillAndStroke(cairo, mode ? modeFill : operationFill, mode ? modeStroke : operationStroke);
  const std::string text = badgeText(item);
  const double textWidth = _engine.widthOfText(text, badgeFontSize);
  setColor(cairo, mode ? modeText : operationText);
  drawText(cairo, text, margin + frame.x + (frame.width - textWidth) / 2,
           margin + badgeBaselineInRow, badgeFontSize);
}

void TallixExpressionPicture::drawCalculatedNumber(
    cairo_t* cairo, const QVRTallixExpressionDisplayItem& item) const {
  const QVRRect& frame = item.frame();
  roundedRectangle(cairo, margin + frame.x + 0.5, margin + 0.5, frame.width - 1,
                   QVRTallixExpressionDisplayItemHeight - 1,
                   QVRTallixExpressionDisplayItemBorderRadius);
  fillAndStroke(cairo, numberFill, numberStroke);
  const std::string text = item.calculatedNumber()->formattedString();
  const double textWidth = _engine.widthOfText(text, QVRTallixExpressionDisplayFontSize);
  setColor(cairo, numberText);
  drawText(cairo, text, margin + frame.x + (frame.width - textWidth) / 2, margin + baselineInRow,
           QVRTallixExpressionDisplayFontSize);
}

}  // namespace tallix
