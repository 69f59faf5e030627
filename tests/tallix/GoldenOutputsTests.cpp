#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>
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

// FILE -> the excluded line numbers.
std::map<std::string, std::set<int>> exclusions() {
  std::map<std::string, std::set<int>> excluded;
  std::ifstream list(fs::path(TALLIX_TEST_SOURCE_DIR) / "golden" / "excluded.tsv");
  std::string line;
  while (std::getline(list, line)) {
    if (line.empty() || line.starts_with('#')) continue;
    std::istringstream fields(line);
    std::string file, number;
    std::getline(fields, file, '\t');
    std::getline(fields, number, '\t');
    excluded[file].insert(std::stoi(number));
  }
  return excluded;
}

// Copies the case files whose names start with `kind` into `directory`, without the excluded
// cases; false when an exclusion names no case.
::testing::AssertionResult copyCases(const fs::path& golden, const std::string& kind,
                                     const fs::path& directory) {
  auto excluded = exclusions();
  int copied = 0;
  for (const auto& entry : fs::directory_iterator(golden)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(kind + "-") || !name.ends_with(".tsv")) continue;
    std::ifstream in(entry.path());
    std::ofstream out(directory / name);
    std::string line;
    bool header = true;
    for (int number = 1; std::getline(in, line); ++number) {
      if (header) {
        out << line << '\n';
        header = !line.starts_with("# columns:");
        continue;
      }
      if (excluded[name].erase(number) == 0) out << line << '\n';
    }
    ++copied;
  }
  if (copied == 0) return ::testing::AssertionFailure() << "no " << kind << " case files";
  for (const auto& [file, numbers] : excluded) {
    if (file.starts_with(kind + "-") && !numbers.empty()) {
      return ::testing::AssertionFailure()
             << file << " line " << *numbers.begin() << " is excluded but is no case";
    }
  }
  return ::testing::AssertionSuccess();
}

// Runs the checker; its exit status and output.
std::pair<int, std::string> check(const fs::path& checker, const std::string& kind,
                                  const fs::path& directory) {
  const std::string command = "python3 '" + checker.string() + "' --only " + kind + " '" +
                              std::string(TALLIX_BINARY) + "' '" + directory.string() + "' 2>&1";
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {-1, "could not run " + command};
  std::array<char, 4096> buffer{};
  while (std::size_t read = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
    output.append(buffer.data(), read);
  }
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

class GoldenOutputsTests : public TallixTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(GoldenOutputsTests, RecordedOutputsMatch) {
  const fs::path golden = fs::path(TALLIX_SHARED_DIR) / "golden";
  if (!fs::exists(golden / "check")) GTEST_SKIP() << "no recorded outputs at " << golden;
  const std::string kind = GetParam();
  const fs::path directory = environment().applicationSupportDirectory() / ("golden-" + kind);
  fs::create_directories(directory);
  ASSERT_TRUE(copyCases(golden, kind, directory));
  const auto [status, output] = check(golden / "check", kind, directory);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find(" 0 failed"), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Commands, GoldenOutputsTests,
                         ::testing::Values("eval", "lines", "convert", "units"));

}  // namespace
