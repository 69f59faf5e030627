#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/QVRFileUserDefaults.h"
#include "common/QVRFileWriter.h"
#include "common/QVRPropertyListWriter.h"
#include "support/PropertyListTesting.h"
#include "support/TallixTest.h"

using PropertyListTesting::bytesOf;

namespace {

class QVRFileUserDefaultsTests : public TallixTest {
 protected:
  std::filesystem::path folder() { return environment().applicationSupportDirectory() / "config"; }
  std::filesystem::path path() { return folder() / "defaults.plist"; }

  void write(const std::filesystem::path& file, std::string_view contents) {
    ASSERT_FALSE(QVRFileWriter::writeAtomically(file, bytesOf(contents)));
  }
  std::string contents(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  }
  ino_t inode(const std::filesystem::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 ? status.st_ino : 0;
  }
};

}  // namespace

TEST_F(QVRFileUserDefaultsTests, ValuesPersistAndUnchangedValuesAreNotWritten) {
  const QVRPropertyList list = QVRPropertyList::Array{"a", std::int64_t{1}, 2.5};
  QVRFileUserDefaults defaults(path());
  defaults.setBool("soundsEnabled", false);
  defaults.setObject("list", list);
  defaults.setObject("gone", std::int64_t{3});
  defaults.removeObjectForKey("gone");
  const ino_t written = inode(path());
  defaults.setBool("soundsEnabled", false);
  defaults.removeObjectForKey("never there");
  EXPECT_EQ(inode(path()), written);
  EXPECT_EQ(contents(path()).rfind("<?xml", 0), 0u);
  QVRFileUserDefaults again(path());
  EXPECT_EQ(again.objectForKey("soundsEnabled"), QVRPropertyList(false));
  EXPECT_EQ(again.objectForKey("list"), list);
  EXPECT_FALSE(again.objectForKey("gone"));
}

// Whatever the file holds that is no dictionary is moved aside, logged, and the defaults start
// empty; the next change writes a fresh file and leaves the old bytes where they were put.
TEST_F(QVRFileUserDefaultsTests, AnUnreadableFileIsKeptAsideAndNeverOverwritten) {
  const struct {
    std::string contents, error;
  } cases[] = {
      {"garbage", "Code=1 \"malformed data: not a property list\""},
      {"<plist><array/></plist>",
       "Code=6 \"unexpected root object: the defaults are no dictionary\""},
  };
  const auto aside = folder() / "defaults.plist.corrupt-20260101T000000Z";
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.contents);
    std::filesystem::remove_all(folder());
    log().clear();
    write(path(), testCase.contents);
    QVRFileUserDefaults defaults(path());
    EXPECT_FALSE(defaults.objectForKey("anything"));
    ASSERT_EQ(log().lines().size(), 1u);
    EXPECT_EQ(log().lines()[0], "Moving unreadable user defaults " + path().string() +
                                    " aside to " + aside.string() +
                                    ": Error Domain=QVRArchiveErrorDomain " + testCase.error);
    defaults.setBool("fresh", true);
    EXPECT_TRUE(QVRFileUserDefaults(path()).boolForKey("fresh"));
    EXPECT_EQ(contents(aside), testCase.contents);
  }
  // A second unreadable file in the same second does not replace the first one kept aside.
  write(path(), "again");
  QVRFileUserDefaults(path()).objectForKey("x");
  EXPECT_EQ(contents(folder() / "defaults.plist.corrupt-20260101T000000Z-1"), "again");
}

// A file that cannot be written is logged and the value kept for the run; one that cannot be
// read is never overwritten.
TEST_F(QVRFileUserDefaultsTests, FilesThatCannotBeWrittenOrReadKeepTheValueForTheRun) {
  write(folder() / "not a directory", "x");
  std::filesystem::create_directories(path() / "inside");
  const auto impossible = folder() / "not a directory" / "defaults.plist";
  const struct {
    std::filesystem::path file;
    std::string message;
    bool writable;
  } cases[] = {
      {impossible, "Writing user defaults " + impossible.string(), true},
      {path(), "Reading user defaults " + path().string() + "; changes will not be saved", false},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.message);
    log().clear();
    QVRFileUserDefaults defaults(testCase.file);
    defaults.setBool("currencyMode", true);
    EXPECT_TRUE(defaults.boolForKey("currencyMode"));
    EXPECT_EQ(defaults.isWritable(), testCase.writable);
    ASSERT_EQ(log().records().size(), 1u);
    EXPECT_EQ(log().records()[0].message, testCase.message);
  }
  EXPECT_TRUE(std::filesystem::is_directory(path() / "inside"));
}

TEST(QVRFileUserDefaults, DefaultPathFollowsTheDataRootAndTheXDGVariables) {
  // clang-format off
  struct Case { std::map<std::string, std::string> variables; std::string expected; };
  const std::vector<Case> cases = {
      {{{"HOME", "/home/u"}}, "/home/u/.config/tallix/defaults.plist"},
      {{{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/xdg"}}, "/xdg/tallix/defaults.plist"},
      {{{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "relative"}}, "/home/u/.config/tallix/defaults.plist"},
      {{{"HOME", "/home/u"},
        {"XDG_CONFIG_HOME", "/xdg"},
        {"TALLIX_APPLICATION_SUPPORT", "/data/root"}},
       "/data/root/defaults.plist"},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.expected);
    const auto lookup = [&](const char* name) -> const char* {
      const auto found = testCase.variables.find(name);
      return found == testCase.variables.end() ? nullptr : found->second.c_str();
    };
    EXPECT_EQ(QVRFileUserDefaults::defaultPath(lookup), std::filesystem::path(testCase.expected));
  }
  const auto relative = QVRFileUserDefaults::defaultPath([](const char* name) -> const char* {
    return std::string_view(name) == "TALLIX_APPLICATION_SUPPORT" ? "rel" : nullptr;
  });
  EXPECT_TRUE(relative.is_absolute());
  EXPECT_EQ(relative.filename(), "defaults.plist");
}
