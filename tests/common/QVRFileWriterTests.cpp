#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/QVRFileReader.h"
#include "common/QVRFileWriter.h"
#include "support/PropertyListTesting.h"
#include "support/TallixTest.h"

using PropertyListTesting::bytesOf;

namespace {

class QVRFileWriterTests : public TallixTest {
 protected:
  std::filesystem::path directory() { return environment().applicationSupportDirectory(); }

  std::string contents(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

  std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

}  // namespace

// Every step of the write fails once in turn: the target keeps its old contents, no temporary
// file stays behind, and the error names the step's errno. (The file's sync fails, as a
// failing close would; the directory's, after the rename, is never reached.)
TEST_F(QVRFileWriterTests, AFailureAtAnyStepKeepsTheOldFile) {
  const auto path = directory() / "target";
  ASSERT_FALSE(QVRFileWriter::writeAtomically(path, bytesOf("old")));
  using Calls = QVRFileWriter::SystemCalls;
  const auto fails = [](int code) {
    return [code](auto...) {
      errno = code;
      return -1;
    };
  };
  const struct {
    const char* step;
    int error;
    std::function<void(Calls&)> breaks;
  } cases[] = {
      {"open", EACCES, [&](Calls& calls) { calls.open = fails(EACCES); }},
      {"write", ENOSPC, [&](Calls& calls) { calls.write = fails(ENOSPC); }},
      {"fsync", EIO, [&](Calls& calls) { calls.fsync = fails(EIO); }},
      {"rename", EXDEV, [&](Calls& calls) { calls.rename = fails(EXDEV); }},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.step);
    auto calls = QVRFileWriter::systemCalls();
    testCase.breaks(calls);
    const auto failure = QVRFileWriter::writeAtomically(path, bytesOf("new"), calls);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->domain(), QVRFileWriter::errorDomain);
    EXPECT_EQ(failure->code(), testCase.error);
    EXPECT_EQ(contents(path), "old");
    EXPECT_EQ(namesIn(directory()), std::vector<std::string>{"target"});
  }
  // Short writes and interruptions still write everything, into parents made on the way.
  auto calls = QVRFileWriter::systemCalls();
  auto realWrite = calls.write;
  int call = 0;
  calls.write = [&](int descriptor, const void* bytes, std::size_t count) -> ssize_t {
    if (++call % 3 == 0) return fails(EINTR)();
    return realWrite(descriptor, bytes, std::min<std::size_t>(count, 2));
  };
  const std::string text = "written two bytes at a time";
  EXPECT_FALSE(QVRFileWriter::writeAtomically(directory() / "a/b/short", bytesOf(text), calls));
  EXPECT_EQ(contents(directory() / "a/b/short"), text);
}

TEST_F(QVRFileWriterTests, ReadingAnswersTheBytesOrAnError) {
  const auto path = directory() / "data";
  const std::string text("bytes\0with a NUL", 16);
  ASSERT_FALSE(QVRFileWriter::writeAtomically(path, bytesOf(text)));
  EXPECT_TRUE(QVRFileReader::isMissing(*QVRFileReader::contentsOfFile(directory() / "x").error));
  struct Case {
    const char* name;
    std::filesystem::path path;
    std::size_t limit;
    int error;
  };
  const auto fifo = directory() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::vector<Case> cases = {
      {"a directory", directory(), QVRFileReader::defaultSizeLimit, EISDIR},
      {"a file over the limit", path, 15, EFBIG},
      {"a FIFO, which could block", fifo, QVRFileReader::defaultSizeLimit, EINVAL},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const auto result = QVRFileReader::contentsOfFile(testCase.path, testCase.limit);
    EXPECT_FALSE(result.value);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code(), testCase.error);
    EXPECT_FALSE(QVRFileReader::isMissing(*result.error));
  }
  EXPECT_TRUE(QVRFileReader::contentsOfFile(path, 16).value);
}
