#include "tallix/tui/TuiCellText.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace tallix {

namespace {

constexpr UChar32 replacementCharacter = 0xFFFD;

enum class CodePointKind { base, wide, mark, dropped };

CodePointKind kindOf(UChar32 c) {
  const auto type = static_cast<UCharCategory>(u_charType(c));
  if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || c == 0x200D ||
      (c >= 0xFE00 && c <= 0xFE0F)) {
    return CodePointKind::mark;
  }
  if (type == U_FORMAT_CHAR) return CodePointKind::dropped;
  const auto width = static_cast<UEastAsianWidth>(u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH));
  if (width == U_EA_WIDE || width == U_EA_FULLWIDTH) return CodePointKind::wide;
  return CodePointKind::base;
}

void append(std::string& text, UChar32 c) {
  char buffer[U8_MAX_LENGTH];
  std::int32_t length = 0;
  UBool failed = false;
  U8_APPEND(reinterpret_cast<std::uint8_t*>(buffer), length, U8_MAX_LENGTH, c, failed);
  if (!failed) text.append(buffer, static_cast<std::size_t>(length));
}

}  // namespace

std::vector<TuiCellText::Cluster> TuiCellText::clusters(std::string_view text) {
  std::vector<Cluster> clusters;
  std::size_t marks = 0;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
  std::int32_t index = 0;
  while (index < length) {
    UChar32 c = 0;
    U8_NEXT(bytes, index, length, c);
    if (c < 0 || u_charType(c) == U_CONTROL_CHAR || (c >= 0xD800 && c <= 0xDFFF)) {
      c = replacementCharacter;
    }
    switch (kindOf(c)) {
      case CodePointKind::dropped:
        break;
      case CodePointKind::mark:
        // A mark without a character to carry it stands on a blank of its own.
        if (clusters.empty()) clusters.push_back({" ", 1});
        if (marks < maximumMarks) append(clusters.back().text, c);
        ++marks;
        break;
      case CodePointKind::wide:
      case CodePointKind::base:
        clusters.push_back({{}, kindOf(c) == CodePointKind::wide ? 2 : 1});
        append(clusters.back().text, c);
        marks = 0;
        break;
    }
  }
  return clusters;
}

std::size_t TuiCellText::width(std::string_view text) {
  std::size_t cells = 0;
  for (const Cluster& cluster : clusters(text)) cells += static_cast<std::size_t>(cluster.width);
  return cells;
}

}  // namespace tallix
