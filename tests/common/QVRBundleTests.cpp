#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/QVRFileReader.h"
#include "common/QVRPropertyListReader.h"
#include "common/QVRStringsTableParser.h"
#include "support/TallixTest.h"

using namespace std::string_literals;

namespace {

class QVRBundleTests : public TallixTest {
 protected:
  std::filesystem::path resources() { return *environment().resourcesDirectory(); }
};

}  // namespace

// The data shipped with the library must read with the checked readers, every file of it.
TEST_F(QVRBundleTests, EveryBundledFileReads) {
  std::size_t tables = 0;
  std::size_t lists = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(resources())) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().string());
    const auto bytes = QVRFileReader::contentsOfFile(entry.path());
    ASSERT_TRUE(bytes.value);
    if (entry.path().extension() == ".strings") {
      const auto table = QVRStringsTableParser::table(*bytes.value);
      ASSERT_TRUE(table.value) << table.error->description();
      EXPECT_FALSE(table.value->empty());
      ++tables;
    } else if (entry.path().extension() == ".plist") {
      const auto list = QVRPropertyListReader::propertyList(*bytes.value);
      ASSERT_TRUE(list.value) << list.error->description();
      EXPECT_TRUE(list.value->isArray());
      ++lists;
    }
  }
  EXPECT_EQ(lists, 2u);
  EXPECT_GE(tables, 50u);
}

// The tables themselves: the parser of the bundle's .strings files.
TEST(QVRStringsTableParser, TablesReadAsTheirEntries) {
  // clang-format off
  struct Case { const char* name; std::string text; QVRStringsTableParser::Table expected; };
  const std::vector<Case> cases = {
      {"escapes",
       R"("k" = "q\" b\\ n\n t\t r\r a\a U\U00e9 u\u20AC o\101 x\x";)",
       {{"k", "q\" b\\ n\n t\t r\r a\a U\xC3\xA9 u\xE2\x82\xAC oA xx"}}},
      {"blanks and comments between the parts", "\"a\" /* c */ =\n\t\"b\" // d\n ;", {{"a", "b"}}},
      {"a byte-order mark and UTF-8", "\xEF\xBB\xBF\"L\xC3\xA4nge\" = \"\xC3\x85\";", {{"L\xC3\xA4nge", "\xC3\x85"}}},
      // The bundle's own UTF-16 table is little-endian (EveryBundledFileReads).
      {"UTF-16, big-endian", "\xFE\xFF\0\"\0\xC5\0\"\0=\0\"\0b\0\"\0;"s, {{"\xC3\x85", "b"}}},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const auto result = QVRStringsTableParser::table(testCase.text);
    ASSERT_TRUE(result.value) << result.error->description();
    EXPECT_EQ(*result.value, testCase.expected);
  }
}

TEST(QVRStringsTableParser, BrokenTablesAreRefusedWithTheLine) {
  // clang-format off
  struct Case { const char* name; std::string text; std::string detail; };
  const std::vector<Case> cases = {
      {"a missing semicolon", "\"a\" = \"b\"\n\"c\" = \"d\";", "strings table line 2: a missing ';'"},
      {"an unterminated quote", "\n\n\"a\" = \"b;", "strings table line 3: a quoted text that never ends"},
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
