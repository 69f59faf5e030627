#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One glyph of a laid-out line. Positions are in the engine's units (points, or terminal cells)
// from the line's origin, y upwards.
struct QVRLaidOutGlyph {
  // The byte offset in the UTF-8 text of the first character that the glyph shows; several
  // glyphs may share one (a base letter and its marks).
  std::size_t cluster = 0;
  double x = 0;
  double y = 0;
  double advance = 0;
};

// The seam through which the display measures: lays out one line of text as glyphs, measures
// texts and named images. Each engine keeps its own cache of image widths by item name (an
// image's width depends on the engine), filled on first need and never emptied.
//
// Identity object: the width cache and the engine's fonts or iterators belong to it.
class QVRTextLayoutEngine {
 public:
  QVRTextLayoutEngine() = default;
  virtual ~QVRTextLayoutEngine() = default;
  QVRTextLayoutEngine(const QVRTextLayoutEngine&) = delete;
  QVRTextLayoutEngine& operator=(const QVRTextLayoutEngine&) = delete;

  // The glyphs of `text` laid out as one line, left to right at `fontSize`, in the order the
  // line shows them; none when the engine cannot make a line of it.
  virtual std::optional<std::vector<QVRLaidOutGlyph>> layoutLine(std::string_view text,
                                                                 double fontSize) = 0;
  // The width of `text` drawn as one line at `fontSize`.
  virtual double widthOfText(std::string_view text, double fontSize) = 0;
  // The width of the image named `imageName` ("Expression_Add"); none when there is no such
  // image.
  virtual std::optional<double> widthOfImage(std::string_view imageName) = 0;

  // The width of the image of the item called `name`, truncated to whole units; taken from the
  // cache when the name was measured before, else measured (0 without an image) and remembered.
  std::uint64_t cachedImageWidth(const std::string& name, std::string_view imageName);

 private:
  std::map<std::string, std::uint64_t, std::less<>> _imageWidths;
};
