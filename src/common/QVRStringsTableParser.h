#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/QVRResult.h"

// Reads a strings table (a ".strings" file): the old-style text property-list form of a flat
// dictionary of texts, `"key" = "value";`, with /* */ and // comments, backslash escapes
// (\" \\ \n \t \r and the others of C, \U00e9 with up to four hex digits, octal \101), unquoted
// keys and values of letters, digits and _$+/:.-, `"key";` meaning the key is its own value, and
// optional braces around the whole. UTF-8 (an optional byte-order mark) or UTF-16 with its mark.
// Checked: any other text is refused with the line where reading stopped; never crashes.
class QVRStringsTableParser {
 public:
  QVRStringsTableParser() = delete;

  using Table = std::map<std::string, std::string, std::less<>>;

  static QVRResult<std::optional<Table>> table(std::span<const std::uint8_t> bytes);
  static QVRResult<std::optional<Table>> table(std::string_view bytes);
};
