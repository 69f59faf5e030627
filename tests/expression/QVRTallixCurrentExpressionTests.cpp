// The current expression: its file, its save every 10 seconds and at termination, restarts, and
// files that cannot be read.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRMemoryLogSink.h"
#include "common/QVRPropertyListWriter.h"
#include "expression/QVRTallixCurrentExpressionSlot.h"
#include "expression/QVRTallixExpression.h"
#include "support/KeyTyping.h"
#include "support/NotificationRecorder.h"
#include "support/TallixTest.h"

namespace {

using namespace std::chrono_literals;
using Dictionary = QVRPropertyList::Dictionary;
using Array = QVRPropertyList::Array;
using UID = QVRPropertyList::UID;

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

QVRPropertyList::Data bytesOf(const QVRPropertyList& value) {
  return *QVRPropertyListWriter::dataFromPropertyList(value, QVRPropertyListWriter::Format::binary)
              .value;
}

TEST_F(QVRTallixCurrentExpression, AFirstStartSavesWithinTenSecondsAndARestartReadsItBack) {
  const auto current = QVRTallixExpression::currentExpression();
  EXPECT_EQ(current->stringDescription(), "0 = 0");
  EXPECT_TRUE(current->isDirty());
  EXPECT_EQ(path(), environment().applicationSupportDirectory() / "currentExpression");
  runLoop().advanceBy(9.9s);
  EXPECT_FALSE(std::filesystem::exists(path()));
  runLoop().advanceBy(0.2s);
  EXPECT_TRUE(std::filesystem::exists(path()));
  EXPECT_FALSE(current->isDirty());

  KeyTyping::type(*current, "2+3*4");
  current->setRadMode(true);
  runLoop().advanceBy(5s);
  restart();
  // Not yet written: the restart finds the first save.
  EXPECT_EQ(line(), "0 = 0");
  QVRTallixExpression::setCurrentExpression(current);
  runLoop().advanceBy(11s);
  restart();
  const auto reread = QVRTallixExpression::currentExpression();
  EXPECT_NE(reread, current);
  EXPECT_TRUE(reread->isEqual(*current));
  EXPECT_FALSE(reread->isDirty());
  EXPECT_TRUE(reread->radMode());
  EXPECT_EQ(reread->stringDescription(), "2 + 3 × 4 = 14");

  // Nothing changed: nothing is written.
  std::filesystem::remove(path());
  runLoop().advanceBy(25s);
  EXPECT_FALSE(std::filesystem::exists(path()));
  EXPECT_TRUE(log().lines().empty());
}

TEST_F(QVRTallixCurrentExpression, SettingTheSameExpressionAnnouncesNothing) {
  const auto current = QVRTallixExpression::currentExpression();
  current->setDirty(false);
  NotificationRecorder recorder(environment().notificationCenter(),
                                std::string(QVRTallixExpressionDidChange));
  QVRTallixExpression::setCurrentExpression(current);
  QVRTallixExpression::setCurrentExpression(nullptr);
  EXPECT_EQ(recorder.count(), 0u);
  const auto other = std::make_shared<QVRTallixExpression>();
  other->setDirty(false);
  QVRTallixExpression::setCurrentExpression(other);
  EXPECT_EQ(recorder.count(), 1u);
  EXPECT_TRUE(other->isDirty());
  EXPECT_EQ(QVRTallixExpression::currentExpression(), other);
}

TEST_F(QVRTallixCurrentExpression, APendingChangeIsWrittenWhenTheProgramTerminates) {
  KeyTyping::type(*QVRTallixExpression::currentExpression(), "9");
  runLoop().terminate();
  restart();
  EXPECT_EQ(line(), "9 = 9");
}

TEST_F(QVRTallixCurrentExpression, UnreadableFilesAreLoggedAndKeptAsideForANewExpression) {
  QVRTallixExpression saved;
  KeyTyping::type(saved, "1+2");
  const QVRPropertyList archive = [&] {
    QVRKeyedArchiver archiver;
    archiver.encodeObject(QVRKeyedArchiver::rootKey, saved);
    return archiver.archivedPropertyList();
  }();
  const QVRPropertyList::Data good = bytesOf(archive);
  QVRPropertyList foreign = archive;
  for (QVRPropertyList& object : *foreign.dictionary()->at("$objects").array()) {
    if (object.find("$classname") && *object.find("$classname")->string() == "QVRTallixComponent") {
      object.dictionary()->at("$classname") = "NSTask";
    }
  }
  // An expression that lists itself as its own component.
  const QVRPropertyList cycle = Dictionary{
      {"$archiver", "NSKeyedArchiver"},
      {"$version", std::int64_t{100000}},
      {"$top", Dictionary{{"root", UID{1}}}},
      {"$objects",
       Array{"$null", Dictionary{{"$class", UID{2}}, {"components", UID{3}}},
             Dictionary{{"$classname", "QVRTallixExpression"},
                        {"$classes", Array{"QVRTallixExpression", "NSObject"}}},
             Dictionary{{"$class", UID{4}}, {"NS.objects", Array{UID{1}}}},
             Dictionary{{"$classname", "NSArray"}, {"$classes", Array{"NSArray", "NSObject"}}}}}};
  const struct {
    const char* kind;
    std::string bytes;
  } files[] = {
      {"garbage", std::string(512, '\x9c')},
      {"truncated", std::string(good.begin(), good.begin() + good.size() / 2)},
      {"empty", ""},
      {"text", "2 + 3"},
      {"another root",
       [] {
         const auto data = QVRKeyedArchiver::archivedDataWithRootObject(QVRTallixNumber());
         return std::string(data.value->begin(), data.value->end());
       }()},
      {"foreign class",
       [&] {
         const auto data = bytesOf(foreign);
         return std::string(data.begin(), data.end());
       }()},
      {"cycle",
       [&] {
         const auto data = bytesOf(cycle);
         return std::string(data.begin(), data.end());
       }()},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.kind);
    restart();
    log().clear();
    std::filesystem::remove_all(environment().applicationSupportDirectory());
    std::filesystem::create_directories(environment().applicationSupportDirectory());
    std::ofstream(path(), std::ios::binary) << file.bytes;
    EXPECT_EQ(line(), "0 = 0");
    const auto lines = log().lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].starts_with("decoding current expression: ")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("Kept unreadable current expression as ")) << lines[1];
    const std::filesystem::path aside = lines[1].substr(lines[1].rfind(' ') + 1);
    EXPECT_TRUE(aside.filename().string().starts_with("currentExpression.corrupt-20260101T"));
    EXPECT_EQ(contents(aside), file.bytes);
    // The next save writes a readable file in its place and leaves the one kept aside.
    runLoop().advanceBy(10s);
    restart();
    EXPECT_EQ(line(), "0 = 0");
    EXPECT_EQ(contents(aside), file.bytes);
  }
}

TEST_F(QVRTallixCurrentExpression, ADirectoryInThePlaceOfTheFileIsMovedAsideToo) {
  std::filesystem::create_directories(path() / "inside");
  EXPECT_EQ(line(), "0 = 0");
  EXPECT_EQ(log().lines().size(), 2u);
  runLoop().advanceBy(10s);
  restart();
  EXPECT_TRUE(std::filesystem::is_regular_file(path()));
  EXPECT_EQ(log().lines().size(), 2u);
}

}  // namespace
