#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRComposedCharacterSequences.h"
#include "common/QVRTextLayoutEngine.h"
#include "display/QVRTallixTextAttributes.h"

class QVRTallixExpressionDisplayItem;

// Lays text out in the character cells of a terminal: x and widths count cells, one glyph per
// character the user sees (grapheme cluster), East Asian wide and fullwidth characters and emoji
// two cells, combining marks and format characters none, everything else one (East Asian
// ambiguous characters such as "×" too, as terminals outside East Asian locales draw them).
// Control characters count one cell: cellText draws them as U+FFFD. The font size plays no part.
//
// An image is drawn as a short text in its place, cellText; its width is that text's.
class QVRTerminalCellLayoutEngine final : public QVRTextLayoutEngine {
 public:
  QVRTerminalCellLayoutEngine() = default;

  // The shared engine of the current environment (with its image-width cache).
  static QVRTerminalCellLayoutEngine& sharedEngine();
  // Spacing in cells: a box edge on each side of a calculated number, one blank cell between
  // items, parentheses on the row like any character.
  static QVRTallixExpressionDisplayMetrics cellMetrics();
  // This engine with the cell metrics: what a terminal lays out with.
  QVRTallixTextAttributes textAttributes() {
    return QVRTallixTextAttributes(*this, 1, cellMetrics());
  }

  std::optional<std::vector<QVRLaidOutGlyph>> layoutLine(std::string_view text,
                                                         double fontSize) override;
  double widthOfText(std::string_view text, double fontSize) override;
  std::optional<double> widthOfImage(std::string_view imageName) override;

  // The cells that one character (a grapheme cluster) takes: 0, 1 or 2.
  static int cellWidth(std::string_view character);
  // The text drawn in place of an image: the operation's display text ("+", "×", "sin", "xʸ")
  // for "Expression_<operation name>", "[DEG]" and "[RAD]" for the angle modes; none for any
  // other name.
  static std::optional<std::string> textForImageName(std::string_view imageName);
  // What a terminal draws for an item in its frame: the character of a digit item (control
  // characters as U+FFFD), the image text of an operation or angle-mode item (empty without
  // one), the formatted number of a calculated number (without its box).
  static std::string cellText(const QVRTallixExpressionDisplayItem& item);

 private:
  QVRComposedCharacterSequences _characters;
};
