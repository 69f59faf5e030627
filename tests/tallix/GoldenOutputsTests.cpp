#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "support/TallixTest.h"

// The recorded outputs of tallix (../shared/golden: eval, the line-mode calculator, convert and
// units), checked by the shared checker against this build's tallix. Cases listed in
// tests/golden/excluded.tsv are left out: the checker runs on a copy of the case files without
// them.

namespace {

namespace fs = std::filesystem;

// Copies the case files whose names start with `kind` into `directory`, without the excluded
// cases (FILE, tab, line number); fails when an exclusion names no case.
::testing::AssertionResult copyCases(const fs::path& golden, const std::string& kind,
                                     const fs::path& directory) {
  std::map<std::string, std::set<int>> excluded;
  std::ifstream list(fs::path(TALLIX_TEST_SOURCE_DIR) / "golden" / "excluded.tsv");
  for (std::string line; std::getline(list, line);) {
    std::istringstream fields(line);
    std::string file;
    int number = 0;
    if (line.starts_with('#') || !std::getline(fields, file, '\t') || !(fields >> number)) continue;
    if (file.starts_with(kind + "-")) excluded[file].insert(number);
  }
  int copied = 0;
  for (const auto& entry : fs::directory_iterator(golden)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(kind + "-") || !name.ends_with(".tsv")) continue;
    std::ifstream in(entry.path());
    std::ofstream out(directory / name);
    bool header = true;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      if (header || excluded[name].erase(number) == 0) out << line << '\n';
      header = header && !line.starts_with("# columns:");
    }
    ++copied;
  }
  if (copied == 0) return ::testing::AssertionFailure() << "no " << kind << " case files";
  for (const auto& [file, numbers] : excluded) {
    if (!numbers.empty()) {
      return ::testing::AssertionFailure()
             << file << " line " << *numbers.begin() << " is excluded but is no case";
    }
  }
  return ::testing::AssertionSuccess();
}

class GoldenOutputsTests : public TallixTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(GoldenOutputsTests, RecordedOutputsMatch) {
  const fs::path golden = fs::path(TALLIX_SHARED_DIR) / "golden";
  if (!fs::exists(golden / "check")) GTEST_SKIP() << "no recorded outputs at " << golden;
  const std::string kind = GetParam();
  const fs::path directory = environment().applicationSupportDirectory() / ("golden-" + kind);
  fs::create_directories(directory);
  ASSERT_TRUE(copyCases(golden, kind, directory));
  const fs::path report = directory / "report";
  const int status =
      std::system(("python3 '" + (golden / "check").string() + "' --only " + kind + " '" +
                   TALLIX_BINARY + "' '" + directory.string() + "' >'" + report.string() + "' 2>&1")
                      .c_str());
  std::stringstream output;
  output << std::ifstream(report).rdbuf();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output.str();
  EXPECT_NE(output.str().find(" 0 failed"), std::string::npos) << output.str();
}

INSTANTIATE_TEST_SUITE_P(Commands, GoldenOutputsTests,
                         ::testing::Values("eval", "lines", "convert", "units"));

}  // namespace
