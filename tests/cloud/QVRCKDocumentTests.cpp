#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cloud/QVRCKDocument.h"
#include "support/QVRCKDocumentTesting.h"

using namespace std::chrono_literals;
using Plan = QVRCKMemoryDatabase::Plan;
using Operation = QVRCKMemoryDatabase::Operation;
using Strings = std::vector<std::string>;

namespace {

class QVRCKDocumentTests : public QVRCKDocumentTest {
 protected:
  std::unique_ptr<QVRCKTestDocument> make() {
    return std::make_unique<QVRCKTestDocument>("Test.doc");
  }
};

}  // namespace

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
  EXPECT_EQ(log().lines(), Strings{"Failed to merge {items = (a)} with {items = (b)}"});
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
}
