#include "display/QVRGlyphLayoutEngine.h"

#include <hb-ft.h>

#include <climits>
#include <cmath>

#include "common/QVREnvironment.h"
#include "common/QVRTextEncoding.h"
#include "display/QVRSVGImageSize.h"

namespace {

// HarfBuzz positions are in 1/64 point at the scale set below.
constexpr double unitsPerPoint = 64;
constexpr double largestFontSize = 10000;

// What the environment keeps: the engine, or why there is none.
struct SharedGlyphLayoutEngine {
  std::unique_ptr<QVRGlyphLayoutEngine> engine;
  std::string error;
};

}  // namespace

QVRGlyphLayoutEngine::~QVRGlyphLayoutEngine() {
  if (_buffer) hb_buffer_destroy(_buffer);
  if (_font) hb_font_destroy(_font);
  if (_face) FT_Done_Face(_face);
  if (_library) FT_Done_FreeType(_library);
}

QVRResult<std::unique_ptr<QVRGlyphLayoutEngine>, std::string>
QVRGlyphLayoutEngine::engineWithFontFile(const std::filesystem::path& fontFile,
                                         std::filesystem::path imagesDirectory) {
  std::unique_ptr<QVRGlyphLayoutEngine> engine(new QVRGlyphLayoutEngine());
  engine->_imagesDirectory = std::move(imagesDirectory);
  if (FT_Init_FreeType(&engine->_library) != 0) {
    engine->_library = nullptr;
    return {nullptr, "FreeType could not be started"};
  }
  if (FT_New_Face(engine->_library, fontFile.c_str(), 0, &engine->_face) != 0) {
    engine->_face = nullptr;
    return {nullptr, "cannot open the font " + fontFile.string()};
  }
  hb_face_t* face = hb_ft_face_create_referenced(engine->_face);
  engine->_font = hb_font_create(face);
  hb_face_destroy(face);
  engine->_buffer = hb_buffer_create();
  if (!hb_buffer_allocation_successful(engine->_buffer)) return {nullptr, "out of memory"};
  return {std::move(engine), std::nullopt};
}

std::optional<std::filesystem::path> QVRGlyphLayoutEngine::defaultFontFile() {
  std::error_code error;
  if (const auto& resources = QVREnvironment::current().resourcesDirectory()) {
    const std::filesystem::path bundled = *resources / "fonts" / "DejaVuSans.ttf";
    if (std::filesystem::is_regular_file(bundled, error)) return bundled;
  }
  if (std::filesystem::is_regular_file(systemFontPath, error)) return systemFontPath;
  return std::nullopt;
}

QVRGlyphLayoutEngine* QVRGlyphLayoutEngine::sharedEngine(std::string* error) {
  QVREnvironment& environment = QVREnvironment::current();
  const auto& shared = environment.sharedInstance<SharedGlyphLayoutEngine>([&] {
    auto made = std::make_unique<SharedGlyphLayoutEngine>();
    const std::optional<std::filesystem::path> font = defaultFontFile();
    if (!font) {
      made->error = "no font: DejaVu Sans was found neither in the resources nor at " +
                    std::string(systemFontPath) + " (Debian package fonts-dejavu-core)";
      return made;
    }
    std::filesystem::path images;
    if (const auto& resources = environment.resourcesDirectory()) images = *resources / "images";
    auto result = engineWithFontFile(*font, images);
    made->engine = std::move(result.value);
    if (result.error) made->error = *result.error;
    return made;
  });
  if (error && !shared.engine) *error = shared.error;
  return shared.engine.get();
}

hb_script_t QVRGlyphLayoutEngine::scriptOfText(std::string_view text) {
  hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
  std::size_t position = 0;
  while (position < text.size()) {
    const std::optional<char32_t> codePoint = QVRTextEncoding::nextCodePoint(text, position);
    if (!codePoint) {
      ++position;
      continue;
    }
    if (*codePoint == U'π' || *codePoint == U'Π') continue;
    const hb_script_t script = hb_unicode_script(unicode, *codePoint);
    if (script != HB_SCRIPT_COMMON && script != HB_SCRIPT_INHERITED &&
        script != HB_SCRIPT_UNKNOWN) {
      return script;
    }
  }
  return HB_SCRIPT_LATIN;
}

std::optional<std::vector<QVRShapedGlyph>> QVRGlyphLayoutEngine::shape(std::string_view text,
                                                                       double fontSize) {
  if (!(fontSize > 0 && fontSize <= largestFontSize) || text.size() > INT_MAX / 2) {
    return std::nullopt;
  }
  if (fontSize != _fontSize) {
    const auto scale = static_cast<int>(std::lround(fontSize * unitsPerPoint));
    hb_font_set_scale(_font, scale, scale);
    _fontSize = fontSize;
  }
  hb_buffer_reset(_buffer);
  hb_buffer_add_utf8(_buffer, text.data(), static_cast<int>(text.size()), 0,
                     static_cast<int>(text.size()));
  hb_buffer_set_direction(_buffer, HB_DIRECTION_LTR);
  hb_buffer_set_script(_buffer, scriptOfText(text));
  hb_buffer_set_language(_buffer, hb_language_from_string("en", -1));
  hb_buffer_set_cluster_level(_buffer, HB_BUFFER_CLUSTER_LEVEL_MONOTONE_GRAPHEMES);
  hb_shape(_font, _buffer, nullptr, 0);
  if (!hb_buffer_allocation_successful(_buffer)) return std::nullopt;

  unsigned int count = 0;
  const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(_buffer, &count);
  const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(_buffer, &count);
  std::vector<QVRShapedGlyph> glyphs;
  glyphs.reserve(count);
  double x = 0;
  for (unsigned int i = 0; i < count; ++i) {
    const hb_glyph_position_t& position = positions[i];
    glyphs.push_back({infos[i].codepoint,
                      {infos[i].cluster, (x + position.x_offset) / unitsPerPoint,
                       position.y_offset / unitsPerPoint, position.x_advance / unitsPerPoint}});
    x += position.x_advance;
  }
  return glyphs;
}

std::optional<std::vector<QVRLaidOutGlyph>> QVRGlyphLayoutEngine::layoutLine(std::string_view text,
                                                                             double fontSize) {
  const auto shaped = shape(text, fontSize);
  if (!shaped) return std::nullopt;
  std::vector<QVRLaidOutGlyph> glyphs;
  glyphs.reserve(shaped->size());
  for (const QVRShapedGlyph& glyph : *shaped) glyphs.push_back(glyph.position);
  return glyphs;
}

double QVRGlyphLayoutEngine::widthOfText(std::string_view text, double fontSize) {
  const auto shaped = shape(text, fontSize);
  if (!shaped) return 0;
  double width = 0;
  for (const QVRShapedGlyph& glyph : *shaped) width += glyph.position.advance;
  return width;
}

std::optional<double> QVRGlyphLayoutEngine::widthOfImage(std::string_view imageName) {
  // Names come from components, which archives may fill: no path may leave the folder.
  if (_imagesDirectory.empty() || imageName.empty() ||
      imageName.find_first_of("/\\") != std::string_view::npos || imageName.starts_with(".")) {
    return std::nullopt;
  }
  return QVRSVGImageSize::widthFromFile(_imagesDirectory / (std::string(imageName) + ".svg"));
}
