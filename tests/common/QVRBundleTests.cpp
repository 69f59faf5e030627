#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/QVRBundle.h"
#include "common/QVRFileReader.h"
#include "common/QVRFileWriter.h"
#include "common/QVRPropertyListReader.h"
#include "common/QVRStringsTableParser.h"
#include "support/PropertyListTesting.h"
#include "support/TallixTest.h"

using PropertyListTesting::bytesOf;
using namespace std::string_literals;

namespace {

class QVRBundleTests : public TallixTest {
 protected:
  std::filesystem::path resources() { return *environment().resourcesDirectory(); }

  // A bundle over a private resources folder with the given tables.
  std::unique_ptr<QVRBundle> bundleWith(
      const std::vector<std::pair<std::string, std::string>>& files, std::string locale) {
    const auto folder = environment().applicationSupportDirectory() / "Resources";
    for (const auto& [name, contents] : files) {
      EXPECT_FALSE(QVRFileWriter::writeAtomically(folder / name, bytesOf(contents)));
    }
    return std::make_unique<QVRBundle>(folder, [locale] { return locale; });
  }
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

TEST_F(QVRBundleTests, TextsFollowTheUsersLanguageThenEnglishThenTheKey) {
  // clang-format off
  struct Case { const char* locale; const char* key; const char* table; const char* expected; };
  const std::vector<Case> cases = {
      {"en_US", "Metre", "Length", "Meter"},
      {"en_GB", "Metre", "Length", "Metre"},
      {"de_DE", "no such key", "Length", "no such key"},
      {"de_DE", "Metre", "NoSuchTable", "Metre"},
      {"de_DE", "Metre", "../en.lproj/Length", "Metre"},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(std::string(testCase.locale) + " " + testCase.key);
    environment().setLocaleIdentifier(testCase.locale);
    EXPECT_EQ(QVRBundle::mainBundle().localizedString(testCase.key, testCase.table),
              testCase.expected);
  }
  EXPECT_TRUE(log().records().empty());
}

TEST_F(QVRBundleTests, TablesAreReadOnceAndABrokenTableIsLoggedAndFallsBack) {
  auto bundle = bundleWith(
      {{"en.lproj/T.strings", "\"a\" = \"English\";"}, {"de.lproj/T.strings", "\"a\" = \"broken"}},
      "de_DE");
  EXPECT_EQ(bundle->localizedString("a", "T"), "English");
  ASSERT_EQ(log().records().size(), 1u);
  EXPECT_EQ(
      log().records()[0].message,
      "Reading strings table " +
          (environment().applicationSupportDirectory() / "Resources/de.lproj/T.strings").string());
  // Read once: a changed file is not seen by this bundle, nor logged again.
  ASSERT_FALSE(QVRFileWriter::writeAtomically(
      environment().applicationSupportDirectory() / "Resources/en.lproj/T.strings",
      bytesOf("\"a\" = \"changed\";")));
  EXPECT_EQ(bundle->localizedString("a", "T"), "English");
  EXPECT_EQ(log().records().size(), 1u);
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
