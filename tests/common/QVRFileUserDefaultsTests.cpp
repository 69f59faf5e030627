#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/QVRFileUserDefaults.h"
#include "common/QVRFileWriter.h"
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
};

}  // namespace

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
