#include "display/QVRTerminalCellLayoutEngine.h"

#include <unicode/uchar.h>

#include <algorithm>

#include "common/QVREnvironment.h"
#include "common/QVRTextEncoding.h"
#include "display/QVRTallixExpressionDisplayItem.h"
#include "expression/QVRTallixOperation.h"

namespace {

constexpr std::string_view imagePrefix = "Expression_";
constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

bool isControl(char32_t codePoint) {
  return u_charType(static_cast<UChar32>(codePoint)) == U_CONTROL_CHAR;
}

int codePointWidth(char32_t codePoint) {
  const auto c = static_cast<UChar32>(codePoint);
  if (isControl(codePoint)) return 1;
  switch (u_charType(c)) {
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_FORMAT_CHAR:
      return 0;
    default:
      break;
  }
  // Hangul vowels and final consonants join the syllable that their leading consonant starts.
  const auto syllableType = u_getIntPropertyValue(c, UCHAR_HANGUL_SYLLABLE_TYPE);
  if (syllableType == U_HST_VOWEL_JAMO || syllableType == U_HST_TRAILING_JAMO) return 0;
  const auto eastAsianWidth = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
  if (eastAsianWidth == U_EA_WIDE || eastAsianWidth == U_EA_FULLWIDTH ||
      u_hasBinaryProperty(c, UCHAR_EMOJI_PRESENTATION)) {
    return 2;
  }
  return 1;
}

}  // namespace

QVRTerminalCellLayoutEngine& QVRTerminalCellLayoutEngine::sharedEngine() {
  return QVREnvironment::current().sharedInstance<QVRTerminalCellLayoutEngine>();
}

QVRTallixExpressionDisplayMetrics QVRTerminalCellLayoutEngine::cellMetrics() {
  return {.borderRadius = 1, .borderPadding = 0, .itemPadding = 1, .parenthesisY = 0};
}

int QVRTerminalCellLayoutEngine::cellWidth(std::string_view character) {
  int width = 0;
  std::size_t position = 0;
  while (position < character.size()) {
    // A byte that starts no well-formed sequence shows as one replacement character.
    const std::optional<char32_t> codePoint = QVRTextEncoding::nextCodePoint(character, position);
    if (!codePoint) {
      ++position;
      width = std::max(width, 1);
      continue;
    }
    width = std::max(width, codePointWidth(*codePoint));
  }
  return width;
}

std::optional<std::vector<QVRLaidOutGlyph>> QVRTerminalCellLayoutEngine::layoutLine(
    std::string_view text, double) {
  std::vector<QVRLaidOutGlyph> glyphs;
  double x = 0;
  for (const auto& [start, end] : _characters.ranges(text)) {
    const double width = cellWidth(text.substr(start, end - start));
    glyphs.push_back({start, x, 0, width});
    x += width;
  }
  return glyphs;
}

double QVRTerminalCellLayoutEngine::widthOfText(std::string_view text, double) {
  double width = 0;
  for (const auto& [start, end] : _characters.ranges(text)) {
    width += cellWidth(text.substr(start, end - start));
  }
  return width;
}

std::optional<double> QVRTerminalCellLayoutEngine::widthOfImage(std::string_view imageName) {
  const std::optional<std::string> text = textForImageName(imageName);
  if (!text) return std::nullopt;
  return widthOfText(*text, 1);
}

std::optional<std::string> QVRTerminalCellLayoutEngine::textForImageName(
    std::string_view imageName) {
  if (!imageName.starts_with(imagePrefix)) return std::nullopt;
  const std::string_view name = imageName.substr(imagePrefix.size());
  if (name == "TrigMode_Degree") return "[DEG]";
  if (name == "TrigMode_Radian") return "[RAD]";
  const auto row =
      std::find_if(QVRTallixOperationTable.begin(), QVRTallixOperationTable.end(),
                   [&](const QVRTallixOperationInfo& info) { return info.name == name; });
  if (row == QVRTallixOperationTable.end()) return std::nullopt;
  return std::string(row->display);
}

std::string QVRTerminalCellLayoutEngine::cellText(const QVRTallixExpressionDisplayItem& item) {
  switch (item.type()) {
    case QVRTallixExpressionDisplayItemTypeDigit: {
      std::string text;
      const std::string& digit = item.digit();
      std::size_t position = 0;
      while (position < digit.size()) {
        const std::size_t start = position;
        const std::optional<char32_t> codePoint = QVRTextEncoding::nextCodePoint(digit, position);
        if (!codePoint) {
          ++position;
          text += replacementCharacter;
        } else if (isControl(*codePoint)) {
          text += replacementCharacter;
        } else {
          text.append(digit, start, position - start);
        }
      }
      return text;
    }
    case QVRTallixExpressionDisplayItemTypeOperation:
    case QVRTallixExpressionDisplayItemTypeTrignometricMode: {
      const std::optional<QVRImageName> imageName = item.imageName();
      if (!imageName) return {};
      return textForImageName(imageName->name()).value_or(std::string());
    }
    case QVRTallixExpressionDisplayItemTypeCalculatedNumber:
      return item.calculatedNumber()->formattedString();
  }
  return {};
}
