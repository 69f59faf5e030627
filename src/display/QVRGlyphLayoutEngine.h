#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRResult.h"
#include "common/QVRTextLayoutEngine.h"

// A glyph of the font with its place on the line, for drawing.
struct QVRShapedGlyph {
  std::uint32_t glyphIndex = 0;
  QVRLaidOutGlyph position;
};

// Lays text out in points with HarfBuzz on a FreeType face (DejaVu Sans), unhinted, as a
// typesetter would at 72 points per inch. Lines are always shaped left to right, in the order of
// the text, whatever its script: the calculator's row reads left to right, and the display items
// of a run follow the characters as typed. The script is taken from the text's first letter of
// a definite script, skipping pi (a number to the calculator, not a Greek word); text without
// one is shaped as Latin. Glyphs of one character share its cluster (a digit and its combining
// mark), so the layout can give them to one item.
//
// Image widths are those of the SVG files "<imageName>.svg" in the images directory.
//
// Identity object: it owns the FreeType library, the face and HarfBuzz's font and buffer.
class QVRGlyphLayoutEngine final : public QVRTextLayoutEngine {
 public:
  static constexpr std::string_view systemFontPath =
      "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

  ~QVRGlyphLayoutEngine() override;

  // An engine on the font file and the images directory; none and the reason when the font
  // cannot be opened.
  static QVRResult<std::unique_ptr<QVRGlyphLayoutEngine>, std::string> engineWithFontFile(
      const std::filesystem::path& fontFile, std::filesystem::path imagesDirectory);
  // The font: "fonts/DejaVuSans.ttf" in the resources when they hold one, else the system's
  // DejaVu Sans at systemFontPath. None when neither exists.
  static std::optional<std::filesystem::path> defaultFontFile();
  // The shared engine of the current environment on the default font and the resources'
  // "images" folder; none when it cannot be made, with the reason in `error`.
  static QVRGlyphLayoutEngine* sharedEngine(std::string* error = nullptr);

  std::optional<std::vector<QVRLaidOutGlyph>> layoutLine(std::string_view text,
                                                         double fontSize) override;
  double widthOfText(std::string_view text, double fontSize) override;
  std::optional<double> widthOfImage(std::string_view imageName) override;

  // The glyphs of the line with their font indexes; none for a size that is not positive, a
  // text longer than HarfBuzz takes, or a failed allocation.
  std::optional<std::vector<QVRShapedGlyph>> shape(std::string_view text, double fontSize);
  // The face, for drawing with the same font; it lives as long as the engine.
  FT_Face fontFace() const { return _face; }
  // The script the text is shaped in.
  static hb_script_t scriptOfText(std::string_view text);

 private:
  QVRGlyphLayoutEngine() = default;

  FT_Library _library = nullptr;
  FT_Face _face = nullptr;
  hb_font_t* _font = nullptr;
  hb_buffer_t* _buffer = nullptr;
  double _fontSize = 0;
  std::filesystem::path _imagesDirectory;
};
