#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cloud/QVRCKDocument.h"
#include "cloud/QVRCKError.h"
#include "support/QVRCKDocumentTesting.h"

using namespace std::chrono_literals;
using Plan = QVRCKMemoryDatabase::Plan;
using Operation = QVRCKMemoryDatabase::Operation;
using Strings = std::vector<std::string>;

namespace {

class QVRCKDocumentTests : public QVRCKDocumentTest {
 protected:
  std::unique_ptr<QVRCKTestDocument> make(
      QVRCKDocument::Storage storage = QVRCKDocument::Storage::standard()) {
    return std::make_unique<QVRCKTestDocument>("Test.doc", QVRCKContainer::defaultContainer(),
                                               std::move(storage));
  }
  // The log since the last call.
  Strings take() {
    Strings lines = log().lines();
    log().clear();
    return lines;
  }
};

}  // namespace

TEST_F(QVRCKDocumentTests, FirstStartPollsAtOnceAndTheFirstSaveMakesTheDirectoryThenUploads) {
  auto document = make();
  runLoop().runPending();
  EXPECT_EQ(take(),
            (Strings{"<Test.doc>:Polling",
                     "Polling record <CKRecord recordType=QVRCKDocument recordName=Test.doc "
                     "recordChangeTag=(none) values={}>: Error Domain=CKErrorDomain Code=11 "
                     "\"no record Test.doc\"",
                     "<Test.doc>:Polled"}));
  ASSERT_EQ(database->subscriptions().size(), 1u);
  EXPECT_EQ(database->subscriptions()[0],
            QVRCKSubscription("QVRCKDocument", "TRUEPREDICATE",
                              "com.qvr.Tallix.QVRCKDocument.subscription", 3));
  EXPECT_EQ(document->pollTimer().tolerance(), 75s);

  // Two changes within ten seconds: one save, and the upload right after it.
  document->setItems({"a"});
  runLoop().advanceBy(5s);
  document->setItems({"a", "b"});
  runLoop().advanceBy(4.9s);
  EXPECT_FALSE(std::filesystem::exists(document->fileURL()));
  runLoop().advanceBy(0.2s);
  EXPECT_EQ(take(), (Strings{"<Test.doc>:Modified Contents", "<Test.doc>:Modified Contents",
                             "<Test.doc>:Saving", "<Test.doc>:Posting", "<Test.doc>:Posted"}));
  const auto local = bytesOf(document->contentsURL());
  EXPECT_EQ(itemsOf(local), (Strings{"a", "b"}));
  EXPECT_EQ(database->serverAsset("Test.doc", "contents"), local);
  const auto server = database->serverRecord("Test.doc");
  ASSERT_TRUE(server);
  EXPECT_EQ(*server->propertyListForKey("version"), QVRPropertyList(1));
  EXPECT_EQ(*server->propertyListForKey("checksum"),
            QVRPropertyList(std::int64_t{QVRData::crc32(local)}));
  EXPECT_EQ(recordFile(), document->record());
  EXPECT_FALSE(document->needsToSave() || document->needsToPost());
  // The temporary copy of the upload is gone.
  EXPECT_TRUE(std::filesystem::is_empty(environment().temporaryDirectory()));
  // Nothing is pending (the next poll, 300 seconds after the first, is in the sync command's test).
  runLoop().advanceBy(280s);
  EXPECT_EQ(saves(), 1u);
}

TEST_F(QVRCKDocumentTests, ACloudDisabledDocumentLoadsAndSavesButNeverTalksToTheCloud) {
  write(directory() / "contents", archive({"kept"}));
  // clang-format off
  const struct { const char* name; bool disable; std::shared_ptr<QVRCKContainer> container; } cases[] = {
      {"no store", false, std::make_shared<QVRCKContainer>("none", nullptr)},
      {"no container", false, nullptr},
      // Last: it holds for every document made afterwards.
      {"disabled", true, QVRCKContainer::defaultContainer()},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    if (testCase.disable) QVRCKDocument::disableiCloud();
    QVRCKTestDocument document("Test.doc", testCase.container);
    EXPECT_TRUE(document.isICloudDisabled());
    EXPECT_EQ(document.items(), Strings{"kept"});
    // No record file: the contents count as not uploaded, but no post timer comes of it.
    EXPECT_TRUE(document.needsToPost());
    document.addItem("new", 1);
    runLoop().advanceBy(10s);
    EXPECT_EQ(itemsOf(bytesOf(document.contentsURL())), (Strings{"kept", "new"}));
    runLoop().advanceBy(1000s);
    EXPECT_EQ(database->calls().size(), 0u);
    EXPECT_FALSE(document.pollTimer().isValid());
    EXPECT_EQ(runLoop().scheduledTimerCount(), 0u);
    write(directory() / "contents", archive({"kept"}));
  }
}

// The local record's checksum decides at start whether the local file still waits for upload.
TEST_F(QVRCKDocumentTests, ALocalFileThatDiffersFromItsRecordNeedsToPost) {
  const auto bytes = archive({"a"});
  QVRCKRecord record("QVRCKDocument", QVRCKRecordID("Test.doc"));
  record.setRecordChangeTag("7");
  const std::int64_t crc = QVRData::crc32(bytes);
  // clang-format off
  const struct { const char* name; std::optional<QVRPropertyList> checksum; bool recordFile, needsToPost; } cases[] = {
    {"same checksum", QVRPropertyList(crc), true, false},
    {"checksum in the low 32 bits", QVRPropertyList(crc + (std::int64_t{5} << 32)), true, false},
    {"other checksum", QVRPropertyList(std::int64_t{1}), true, true},
    {"checksum of another kind", QVRPropertyList("checksum"), true, true},
    {"no record file", std::nullopt, false, true},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    std::filesystem::remove_all(directory());
    write(directory() / "contents", bytes);
    record.removeObjectForKey("checksum");
    if (testCase.checksum) record.setObject(*testCase.checksum, "checksum");
    if (testCase.recordFile) {
      ASSERT_TRUE(QVRKeyedArchiver::archiveRootObjectToFile(record, directory() / "record"));
    }
    QVRCKDocument::disableiCloud();
    QVRCKTestDocument document("Test.doc");
    EXPECT_EQ(document.needsToPost(), testCase.needsToPost);
    EXPECT_EQ(document.record().recordChangeTag(),
              testCase.recordFile ? std::optional<std::string>("7") : std::nullopt);
  }
}

// Without local changes waiting, the server's file replaces the local one byte for byte; with
// them, both are merged, saved and uploaded, and the record file waits for the merged save.
TEST_F(QVRCKDocumentTests, AServerChangeReloadsOrMerges) {
  auto document = make();
  runLoop().runPending();
  document->setItems({"a"});
  runLoop().advanceBy(10s);
  int notifications = 0;
  auto observation = environment().notificationCenter().addObserver(
      std::string(QVRCKDocumentChangedExternally), document.get(),
      [&](const auto&) { ++notifications; });
  take();

  const std::string reloaded = storeOnServer({"a", "b"});
  runLoop().advanceBy(300s);
  EXPECT_EQ(take(), (Strings{"<Test.doc>:Polling", "<Test.doc>:Reloading from network",
                             "<Test.doc>:Polled"}));
  EXPECT_EQ(document->items(), (Strings{"a", "b"}));
  EXPECT_EQ(bytesOf(document->contentsURL()), database->serverAsset("Test.doc", "contents"));
  EXPECT_EQ(recordFile()->recordChangeTag(), reloaded);
  EXPECT_FALSE(document->needsToSave() || document->needsToPost());
  EXPECT_EQ(notifications, 1);
  EXPECT_EQ(document->contentsChanges(), 2);

  document->addItem("local", 0);
  const std::string merged = storeOnServer({"a", "b", "server"});
  runLoop().advanceBy(5s);
  document->postRemoteNotification("Other.doc");
  document->postRemoteNotification("Test.doc");
  runLoop().runPending();
  EXPECT_EQ(take(), (Strings{"<Test.doc>:Modified Contents", "<Test.doc>:Push Poll",
                             "<Test.doc>:Polling", "<Test.doc>:Merging from network",
                             "<Test.doc>:Modified Contents", "<Test.doc>:Polled"}));
  EXPECT_EQ(document->items(), (Strings{"local", "a", "b", "server"}));
  EXPECT_EQ(document->record().recordChangeTag(), merged);
  EXPECT_EQ(recordFile()->recordChangeTag(), reloaded);
  runLoop().advanceBy(5s);
  EXPECT_EQ(take(), (Strings{"<Test.doc>:Saving", "<Test.doc>:Posting", "<Test.doc>:Posted"}));
  EXPECT_EQ(serverItems(), (Strings{"local", "a", "b", "server"}));
  EXPECT_EQ(recordFile(), document->record());
  EXPECT_EQ(notifications, 2);
}

TEST_F(QVRCKDocumentTests, AFailedMergeTakesTheServerContents) {
  auto document = make();
  runLoop().runPending();
  document->setItems({"merge raises"});
  storeOnServer({"s"});
  document->postRemoteNotification("Test.doc");
  runLoop().runPending();
  EXPECT_EQ(
      log().countContaining("Failed to merge contents {items = (merge raises)} with {items = (s)}: "
                            "NSInternalInconsistencyException: cannot merge"),
      1u);
  EXPECT_EQ(document->items(), Strings{"s"});
  // The base merge keeps the local contents and says so when there are two to merge.
  const QVRCKDocument::Contents a = std::make_shared<QVRCKTestContents>(Strings{"a"});
  const QVRCKDocument::Contents b = std::make_shared<QVRCKTestContents>(Strings{"b"});
  log().clear();
  EXPECT_EQ(QVRCKDocument::mergeLocalContents(nullptr, b), b);
  EXPECT_EQ(QVRCKDocument::mergeLocalContents(a, b), a);
  EXPECT_EQ(take(), Strings{"Failed to merge {items = (a)} with {items = (b)}"});
}

TEST_F(QVRCKDocumentTests, PollErrorsOfMissingRightsOrVersionTurnTheCloudOffForGood) {
  for (const std::int64_t code : {8, 9, 18, 2, 4, 11, 14, 36}) {
    SCOPED_TRACE(code);
    const bool disables = code == 8 || code == 9 || code == 18;
    const std::string name = "Code" + std::to_string(code) + ".doc";
    database->enqueuePlan(Operation::fetchRecord, Plan::fail(code));
    QVRCKTestDocument document(name);
    runLoop().runPending();
    EXPECT_EQ(log().countContaining(
                  "Polling record <CKRecord recordType=QVRCKDocument recordName=" + name +
                  " recordChangeTag=(none) values={}>: Error Domain=CKErrorDomain Code=" +
                  std::to_string(code) + " \"injected\""),
              1u);
    EXPECT_EQ(document.isICloudDisabled(), disables);
    EXPECT_EQ(document.pollTimer().isValid(), !disables);
    document.setItems({"x"});
    const std::size_t savesBefore = saves();
    const std::size_t fetchesBefore = fetches();
    runLoop().advanceBy(400s);
    EXPECT_TRUE(std::filesystem::exists(document.contentsURL()));
    EXPECT_EQ(saves() - savesBefore, disables ? 0u : 1u);
    EXPECT_EQ(fetches() - fetchesBefore, disables ? 0u : 1u);
  }
}

// Server files that cannot be taken leave the local contents; one of a newer version turns the
// cloud off for good.
TEST_F(QVRCKDocumentTests, AServerFileThatCannotBeTakenLeavesTheLocalContents) {
  // clang-format off
  const struct { std::string name; QVRPropertyList::Data bytes; bool assetsMissing; std::string line; } cases[] = {
    {"missing.doc", archive({"s"}), true, ".missing: Error Domain=NSPOSIXErrorDomain Code=2"},
    {"garbage.doc", {'n', 'o'}, false, "NSInvalidArchiveOperationException: malformed data: not a property list"},
    {"newer.doc", archive({"s"}, 2), false, "Found document version 2, newest supported version 1"},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    log().clear();
    auto plan = Plan::answer();
    plan.assetsMissing = testCase.assetsMissing;
    database->enqueuePlan(Operation::fetchRecord, plan);
    storeBytesOnServer(testCase.bytes, 1, testCase.name);
    writeLocal(testCase.name, {"local"}, "0");
    QVRCKTestDocument document(testCase.name);
    runLoop().runPending();
    const bool newer = testCase.name == "newer.doc";
    EXPECT_EQ(log().countContaining(testCase.line), 1u);
    EXPECT_EQ(log().countContaining("<" + testCase.name + ">:Polled"), newer ? 0u : 1u);
    EXPECT_EQ(log().countContaining(testCase.assetsMissing ? "Reading new contents file "
                                                           : "Decoding new contents file "),
              newer ? 0u : 1u);
    EXPECT_EQ(document.items(), Strings{"local"});
    EXPECT_EQ(document.record().recordChangeTag(), "0");
    EXPECT_EQ(document.isICloudDisabled(), newer);
    const std::size_t fetchesBefore = fetches();
    runLoop().advanceBy(600s);
    EXPECT_EQ(fetches() - fetchesBefore, newer ? 0u : 2u);
    EXPECT_EQ(saves(), 0u);
  }
}

// Unreadable local files are logged and kept aside, never overwritten. Without readable
// contents the server's are taken; without a readable record the contents count as not
// uploaded, so that they are merged with the server's rather than replaced.
TEST_F(QVRCKDocumentTests, UnreadableLocalFilesAreKeptAsideAndTheServerFillsIn) {
  QVRCKRecord otherRecord("QVRCKDocument", QVRCKRecordID("Other.doc"));
  const auto otherRecordBytes = *QVRKeyedArchiver::archivedDataWithRootObject(otherRecord).value;
  const std::string invalid = "NSInvalidArchiveOperationException: ";
  // clang-format off
  const struct { const char* name; QVRPropertyList::Data contents, record; const char* aside; std::string error; Strings items; } cases[] = {
    {"garbage contents", {'x'}, {}, "contents", invalid + "malformed data: not a property list", {"server"}},
    {"another document's record", archive({"local"}), otherRecordBytes, "record",
     invalid + "the record file holds <CKRecord recordType=QVRCKDocument recordName=Other.doc", {"server", "local"}},
  };
  // clang-format on
  storeOnServer({"server"});
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    std::filesystem::remove_all(directory());
    log().clear();
    runLoop().setNow(QVRVirtualRunLoop::defaultStart());
    write(directory() / "contents", testCase.contents);
    if (!testCase.record.empty()) write(directory() / "record", testCase.record);
    const auto bad = directory() / testCase.aside;
    const auto aside = directory() / (std::string(testCase.aside) + ".unreadable-20260101T000000Z");
    auto document = make();
    EXPECT_EQ(log().lines().at(0),
              "Decoding record for QVRCKDocument " + directory().string() + ": " + testCase.error +
                  (testCase.error.back() == 'c' ? " recordChangeTag=(none) values={}>" : ""));
    EXPECT_EQ(log().lines().at(1),
              "Moving unreadable file " + bad.string() + " aside to " + aside.string());
    EXPECT_FALSE(document->record().recordChangeTag());
    runLoop().advanceBy(10s);
    EXPECT_EQ(document->items(), testCase.items);
    EXPECT_EQ(bytesOf(aside),
              testCase.aside == std::string("contents") ? testCase.contents : testCase.record);
  }
  // A contents file that cannot be read at all is logged and left where it is.
  std::filesystem::remove_all(directory());
  std::filesystem::create_directories(directory() / "contents");
  log().clear();
  auto document = make();
  EXPECT_EQ(log().lines().at(0), "Reading file for " + directory().string() +
                                     ": Error Domain=NSPOSIXErrorDomain Code=21 \"Reading " +
                                     (directory() / "contents").string() + ": Is a directory\"");
  EXPECT_FALSE(document->contents());
}
