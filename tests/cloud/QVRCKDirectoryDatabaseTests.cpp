#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "cloud/QVRCKDirectoryDatabase.h"
#include "cloud/QVRCKStoreFiles.h"
#include "common/QVRPollRunLoop.h"
#include "support/QVRCKStoreTesting.h"
#include "support/SeededRandom.h"
#include "support/TallixTest.h"

using namespace std::chrono_literals;

namespace {

class QVRCKDirectoryDatabaseTests : public TallixTest {
 protected:
  std::filesystem::path folder() { return environment().temporaryDirectory() / "store"; }
  std::filesystem::path scratch() { return environment().temporaryDirectory() / "scratch"; }
  std::unique_ptr<QVRCKDirectoryDatabase> makeDatabase(QVRPollRunLoop* pushLoop = nullptr) {
    return std::make_unique<QVRCKDirectoryDatabase>(
        folder(), QVRCKDirectoryDatabase::Options{
                      environment().temporaryDirectory(), pushLoop,
                      [this](const std::string& name) { pushes.push_back(name); }});
  }
  int filesInFolder(std::string_view prefix, std::string_view suffix = "") {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder())) {
      const auto name = entry.path().filename().string();
      count += name.starts_with(prefix) && name.ends_with(suffix);
    }
    return count;
  }

  std::vector<std::string> pushes;
};

}  // namespace

TEST_F(QVRCKDirectoryDatabaseTests, KeepsTheContractOfConditionalSaves) {
  auto database = makeDatabase();
  QVRCKExpectConditionalSaves(*database, scratch(), "Tallix.tape",
                              [&] { std::filesystem::remove(folder() / "Tallix.tape.record"); });
}

// Clients with lock file descriptors of their own, as processes have, lose no update.
TEST_F(QVRCKDirectoryDatabaseTests, ConcurrentReadModifyWriteLosesNothing) {
  QVRCKExpectNoLostIncrements([&] { return makeDatabase(); }, scratch(), 4, 25);
}

// Any record name maps to one plain file name and back; other file names are no records.
TEST(QVRCKStoreFiles, RecordNamesMapToPlainFileNamesAndBack) {
  for (const std::string file : {"x.asset", ".record", "a%2eb.record", "%2.record", "%41.record",
                                 ".Tallix.tape.record.tmp-1"}) {
    EXPECT_EQ(QVRCKStoreFiles::recordNameOfFile(file), std::nullopt) << file;
  }
  EXPECT_TRUE(QVRCKStoreFiles::checkRecordName(""));
  EXPECT_TRUE(QVRCKStoreFiles::checkRecordName(std::string(161, 'a')));

  const std::uint64_t seed = SeededRandom::testSeed(20261206);
  SeededRandom random(seed);
  for (int round = 0; round < 100'000; ++round) {
    std::string name(static_cast<std::size_t>(random.between(1, 12)), '\0');
    for (char& byte : name) byte = static_cast<char>(random.between(0, 255));
    const std::string file = QVRCKStoreFiles::recordFileName(name);
    const std::string asset = QVRCKStoreFiles::newAssetFileName(name);
    ASSERT_TRUE(file.find('/') == std::string::npos && file.front() != '.' &&
                QVRCKStoreFiles::recordNameOfFile(file) == name &&
                QVRCKStoreFiles::isAssetFileName(asset, name) &&
                !QVRCKStoreFiles::recordNameOfFile(asset))
        << "seed " << seed << ", round " << round;
  }
}

// A reader racing a writer always finds the assets of the version it read, while the writer
// removes the assets that no record names any more.
TEST_F(QVRCKDirectoryDatabaseTests, ReadersNeverMeetARecordWithoutItsAssets) {
  auto writer = makeDatabase();
  auto reader = makeDatabase();
  auto tag =
      QVRCKSaveTo(*writer, QVRCKRecordWithText(scratch(), "R", {}, "v0")).record->recordChangeTag();
  std::atomic<bool> writing = true;
  std::thread readerThread([&] {
    while (writing) {
      const auto fetched = QVRCKFetchFrom(*reader, "R");
      ASSERT_TRUE(fetched.record) << fetched.error->description();
      ASSERT_EQ(QVRCKAssetText(fetched.record),
                *fetched.record->propertyListForKey("note")->string());
    }
  });
  for (int version = 1; version <= 60; ++version) {
    // Every asset is past the grace period: the save may remove any that no record names.
    for (const auto& entry : std::filesystem::directory_iterator(folder())) {
      std::filesystem::last_write_time(entry.path(),
                                       std::filesystem::file_time_type::clock::now() - 2h);
    }
    const auto saved = QVRCKSaveTo(
        *writer, QVRCKRecordWithText(scratch(), "R", tag, "v" + std::to_string(version)));
    ASSERT_TRUE(saved.record) << saved.error->description();
    tag = saved.record->recordChangeTag();
  }
  writing = false;
  readerThread.join();
  EXPECT_EQ(filesInFolder("R.", ".asset"), 2) << "the record's and the previous version's";
}

// Files that are no record of the store count as none and are moved aside by the next save;
// a record naming a file outside the store is refused; a missing asset is a passing failure.
TEST_F(QVRCKDirectoryDatabaseTests, DamagedFilesCountAsNoRecordAndAreMovedAside) {
  auto database = makeDatabase();
  QVRCKRecord escaping("QVRCKDocument", QVRCKRecordID("R"));
  escaping.setRecordChangeTag("t");
  escaping.setObject(QVRCKAsset("../../outside.asset"), "contents");
  const std::pair<QVRPropertyList::Data, std::string> cases[] = {
      {{}, "unreadable record file"},
      {QVRCKStoreFiles::encode(escaping).value.value(), "names the file ../../outside.asset"},
      {QVRCKStoreFiles::encode(QVRCKRecord("T", QVRCKRecordID("other"))).value.value(),
       "holds the record other"},
  };
  for (const auto& [bytes, reason] : cases) {
    SCOPED_TRACE(reason);
    ASSERT_FALSE(QVRFileWriter::writeAtomically(folder() / "R.record", bytes));
    const auto fetched = QVRCKFetchFrom(*database, "R");
    EXPECT_EQ(fetched.code(), QVRCKErrorUnknownItem);
    EXPECT_NE(fetched.error->localizedDescription().find(reason), std::string::npos);
    EXPECT_FALSE(QVRCKSaveTo(*database, QVRCKRecordWithText(scratch(), "R", {}, "y")).error);
  }
  EXPECT_EQ(filesInFolder("R.record.unreadable-"), 3);
  for (const auto& entry : std::filesystem::directory_iterator(folder())) {
    if (entry.path().extension() == ".asset") std::filesystem::remove(entry.path());
  }
  EXPECT_EQ(QVRCKFetchFrom(*makeDatabase(), "R").code(), QVRCKErrorServiceUnavailable);
  auto unreadable = QVRCKRecordWithText(scratch(), "new", {}, "z");
  unreadable.setObject(QVRCKAsset(scratch() / "no such file"), "contents");
  EXPECT_EQ(QVRCKSaveTo(*database, unreadable).code(), QVRCKErrorAssetFileNotFound);
}

// Another client's record files are pushed once there is a subscription; the database's own
// saves and files that are no records are not.
TEST_F(QVRCKDirectoryDatabaseTests, OtherClientsChangesArePushedOwnAreNot) {
  QVRPollRunLoop loop;
  auto watching = makeDatabase(&loop);
  auto other = makeDatabase();
  const auto drain = [&] {
    while (loop.runOnce(0ms)) {
    }
  };
  QVRCKSaveTo(*other, QVRCKRecordWithText(scratch(), "before", {}, "x"));
  drain();
  EXPECT_TRUE(pushes.empty()) << "no subscription yet";
  QVRCKWaitFor([&](auto done) {
    watching->saveSubscription(QVRCKSubscription("QVRCKDocument", "TRUEPREDICATE", "s", 3),
                               [done](std::optional<QVRError> error) { done({}, error); });
  });
  QVRCKSaveTo(*other, QVRCKRecordWithText(scratch(), "Tallix.tape", {}, "a"));
  QVRCKSaveTo(*other, QVRCKRecordWithText(scratch(), "Main.customConstants", {}, "a"));
  QVRCKSaveTo(*watching, QVRCKRecordWithText(scratch(), "own", {}, "a"));
  ASSERT_FALSE(QVRFileWriter::writeAtomically(folder() / "notes.txt", {}));
  drain();
  EXPECT_EQ(pushes, (std::vector<std::string>{"Main.customConstants", "Tallix.tape"}));
  // A file-sync tool that writes a record file in place is seen too.
  pushes.clear();
  std::ofstream(folder() / "before.record", std::ios::app).put('\0');
  drain();
  EXPECT_EQ(pushes, std::vector<std::string>{"before"});
}
