#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/QVRStringsTableParser.h"
#include "support/PropertyListTesting.h"

using Table = QVRStringsTableParser::Table;

namespace {

std::vector<std::uint8_t> utf16(std::u16string_view text, bool bigEndian) {
  std::vector<std::uint8_t> bytes =
      bigEndian ? std::vector<std::uint8_t>{0xFE, 0xFF} : std::vector<std::uint8_t>{0xFF, 0xFE};
  for (const char16_t unit : text) {
    const auto high = static_cast<std::uint8_t>(unit >> 8);
    const auto low = static_cast<std::uint8_t>(unit & 0xFF);
    if (bigEndian) {
      bytes.insert(bytes.end(), {high, low});
    } else {
      bytes.insert(bytes.end(), {low, high});
    }
  }
  return bytes;
}

}  // namespace

TEST(QVRStringsTableParser, TablesReadAsTheirEntries) {
  // clang-format off
  struct Case { const char* name; std::string text; Table expected; };
  const std::vector<Case> cases = {
      {"escapes",
       R"("k" = "q\" b\\ n\n t\t r\r a\a U\U00e9 u\u20AC o\101 x\x";)",
       {{"k", "q\" b\\ n\n t\t r\r a\a U\xC3\xA9 u\xE2\x82\xAC oA xx"}}},
      {"blanks and comments between the parts", "\"a\" /* c */ =\n\t\"b\" // d\n ;", {{"a", "b"}}},
      {"a byte-order mark and UTF-8", "\xEF\xBB\xBF\"L\xC3\xA4nge\" = \"\xC3\x85\";", {{"L\xC3\xA4nge", "\xC3\x85"}}},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const auto result = QVRStringsTableParser::table(testCase.text);
    ASSERT_TRUE(result.value) << result.error->description();
    EXPECT_EQ(*result.value, testCase.expected);
  }
  for (const bool bigEndian : {false, true}) {
    const auto result =
        QVRStringsTableParser::table(utf16(u"\"\u00C5ngstr\u00F6m\" = \"\u00C5\";", bigEndian));
    ASSERT_TRUE(result.value);
    EXPECT_EQ(*result.value, (Table{{"\xC3\x85ngstr\xC3\xB6m", "\xC3\x85"}}));
  }
}

TEST(QVRStringsTableParser, BrokenTablesAreRefusedWithTheLine) {
  // clang-format off
  struct Case { const char* name; std::string text; std::string detail; };
  const std::vector<Case> cases = {
      {"a missing semicolon", "\"a\" = \"b\"\n\"c\" = \"d\";", "strings table line 2: a missing ';'"},
      {"an unterminated quote", "\n\n\"a\" = \"b;", "strings table line 3: a quoted text that never ends"},
      {"an unterminated comment", "\"a\" = \"b\"; /* open", "strings table line 1: a comment that never ends"},
      {"a lone high surrogate", R"("a" = "\UD83D";)", "strings table line 1: a high surrogate without its low one"},
      {"text that is not UTF-8", "\"a\" = \"\xC3\x28\";", "strings table that is not UTF-8"},
      {"UTF-16 with an odd byte", "\xFF\xFE\x41", "strings table in bad UTF-16"},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const auto result = QVRStringsTableParser::table(testCase.text);
    EXPECT_FALSE(result.value);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->kind(), QVRArchiveError::Kind::malformed);
    EXPECT_EQ(result.error->detail(), testCase.detail);
  }
}
