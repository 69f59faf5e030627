// The current expression: its file, its save every 10 seconds, and files that cannot be read. (The
// save at termination and the typed number going on after a restart are in the recorded
// outputs of the line mode.)

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRMemoryLogSink.h"
#include "expression/QVRTallixCurrentExpressionSlot.h"
#include "expression/QVRTallixExpression.h"
#include "support/KeyTyping.h"
#include "support/NotificationRecorder.h"
#include "support/TallixTest.h"

namespace {

using namespace std::chrono_literals;

class QVRTallixCurrentExpression : public TallixTest {
 protected:
  // Forgets the slot, as a restart of the program does; the file stays.
  void restart() { environment().setSharedInstance<QVRTallixCurrentExpressionSlot>(nullptr); }
  std::filesystem::path path() { return QVRTallixExpression::_currentExpressionPath(); }
  std::string line() { return QVRTallixExpression::currentExpression()->stringDescription(); }
};

std::string contents(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), {}};
}

TEST_F(QVRTallixCurrentExpression, SavesEveryTenSecondsWhileDirtyAndReadsBack) {
  const auto current = QVRTallixExpression::currentExpression();
  EXPECT_TRUE(current->isDirty());
  EXPECT_EQ(path(), environment().applicationSupportDirectory() / "currentExpression");
  runLoop().advanceBy(9.9s);
  EXPECT_FALSE(std::filesystem::exists(path()));
  runLoop().advanceBy(0.2s);
  EXPECT_TRUE(std::filesystem::exists(path()) && !current->isDirty());

  KeyTyping::type(*current, "2+3*4");
  current->setRadMode(true);
  runLoop().advanceBy(5s);
  restart();
  // Not yet written: the restart finds the first save.
  EXPECT_EQ(line(), "0 = 0");
  current->setDirty(false);
  NotificationRecorder recorder(environment().notificationCenter(),
                                std::string(QVRTallixExpressionDidChange));
  QVRTallixExpression::setCurrentExpression(current);
  QVRTallixExpression::setCurrentExpression(current);
  QVRTallixExpression::setCurrentExpression(nullptr);
  EXPECT_TRUE(recorder.count() == 1 && current->isDirty());
  runLoop().advanceBy(11s);
  restart();
  const auto reread = QVRTallixExpression::currentExpression();
  EXPECT_TRUE(reread != current && reread->isEqual(*current));
  EXPECT_TRUE(!reread->isDirty() && reread->radMode());
  EXPECT_EQ(reread->stringDescription(), "2 + 3 × 4 = 14");
  // Nothing changed: nothing is written.
  std::filesystem::remove(path());
  runLoop().advanceBy(25s);
  EXPECT_FALSE(std::filesystem::exists(path()));
  EXPECT_TRUE(log().lines().empty());
}

TEST_F(QVRTallixCurrentExpression, UnreadableFilesAreLoggedAndKeptAsideForANewExpression) {
  const auto good = *QVRKeyedArchiver::archivedDataWithRootObject(QVRTallixExpression()).value;
  const auto number = *QVRKeyedArchiver::archivedDataWithRootObject(QVRTallixNumber()).value;
  const std::string files[] = {"", std::string(good.begin(), good.begin() + good.size() / 2),
                               std::string(number.begin(), number.end()), "a directory"};
  for (const std::string& bytes : files) {
    SCOPED_TRACE(bytes.size());
    restart();
    log().clear();
    std::filesystem::remove_all(environment().applicationSupportDirectory());
    std::filesystem::create_directories(environment().applicationSupportDirectory());
    if (bytes == "a directory") {
      std::filesystem::create_directories(path() / "inside");
    } else {
      std::ofstream(path(), std::ios::binary) << bytes;
    }
    EXPECT_EQ(line(), "0 = 0");
    const auto lines = log().lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].starts_with("decoding current expression: ")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("Kept unreadable current expression as ")) << lines[1];
    const std::filesystem::path aside = lines[1].substr(lines[1].rfind(' ') + 1);
    EXPECT_TRUE(aside.filename().string().starts_with("currentExpression.corrupt-20260101T"));
    EXPECT_EQ(std::filesystem::is_directory(aside) ? "a directory" : contents(aside), bytes);
    // The next save writes a readable file in its place and leaves the one kept aside.
    runLoop().advanceBy(10s);
    restart();
    EXPECT_EQ(line(), "0 = 0");
    EXPECT_TRUE(std::filesystem::exists(aside) && log().lines().size() == 2);
  }
}

}  // namespace
