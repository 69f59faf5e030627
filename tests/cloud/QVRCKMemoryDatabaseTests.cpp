#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cloud/QVRCKMemoryDatabase.h"
#include "support/QVRCKDocumentTesting.h"

using namespace std::chrono_literals;
using Plan = QVRCKMemoryDatabase::Plan;
using Operation = QVRCKMemoryDatabase::Operation;

namespace {

// What a completion was called with, and how often.
struct Answer {
  int calls = 0;
  std::optional<QVRCKRecord> record;
  std::optional<QVRError> error;

  QVRCKDatabase::RecordCompletion completion() {
    return [this](std::optional<QVRCKRecord> answered, std::optional<QVRError> failure) {
      ++calls;
      record = std::move(answered);
      error = std::move(failure);
    };
  }
  std::int64_t code() const { return error ? error->code() : 0; }
};

class QVRCKMemoryDatabaseTests : public QVRCKDocumentTest {
 protected:
  QVRCKRecord record(std::optional<std::string> tag, const std::string& text) {
    const auto file = environment().temporaryDirectory() / "asset";
    write(file, QVRPropertyList::Data(text.begin(), text.end()));
    QVRCKRecord made("QVRCKDocument", QVRCKRecordID("R"));
    made.setRecordChangeTag(std::move(tag));
    made.setObject(QVRCKAsset(file), "contents");
    made.setObject(QVRPropertyList("text"), "note");
    return made;
  }
  Answer save(const QVRCKRecord& saved) {
    Answer answer;
    database->saveRecord(saved, answer.completion());
    runLoop().runPending();
    return answer;
  }
  std::string serverText() {
    const auto bytes = database->serverAsset("R", "contents");
    return bytes ? std::string(bytes->begin(), bytes->end()) : "(none)";
  }
};

}  // namespace

// Saves are conditional on the change tag; a refused save changes nothing.
TEST_F(QVRCKMemoryDatabaseTests, SavesAreConditionalOnTheChangeTag) {
  struct Step {
    std::optional<std::string> tag;
    std::string text;
    bool removeFirst;
    std::int64_t code;
    std::string serverText;
  };
  const std::vector<Step> steps = {
      {std::nullopt, "one", false, 0, "one"},
      {std::nullopt, "again", false, QVRCKErrorServerRecordChanged, "one"},
      {"1", "two", false, 0, "two"},
      {"1", "stale", false, QVRCKErrorServerRecordChanged, "two"},
      {"9", "unknown", false, QVRCKErrorServerRecordChanged, "two"},
      {"2", "gone", true, QVRCKErrorUnknownItem, "(none)"},
      {std::nullopt, "fresh", false, 0, "fresh"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.text);
    if (step.removeFirst) database->removeRecord("R");
    const Answer answer = save(record(step.tag, step.text));
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.code(), step.code);
    EXPECT_EQ(answer.record.has_value(), step.code == 0);
    EXPECT_EQ(serverText(), step.serverText);
  }
  Answer fetched;
  database->fetchRecordWithID(QVRCKRecordID("R"), fetched.completion());
  runLoop().runPending();
  ASSERT_TRUE(fetched.record);
  EXPECT_EQ(fetched.record->recordChangeTag(), "3");
  EXPECT_EQ(*fetched.record->propertyListForKey("note"), QVRPropertyList("text"));
  // The asset is a file of the answer's own, with the saved bytes.
  const auto bytes = bytesOf(fetched.record->assetForKey("contents")->fileURL());
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "fresh");
  Answer missing;
  database->fetchRecordWithID(QVRCKRecordID("nothing"), missing.completion());
  runLoop().runPending();
  EXPECT_EQ(missing.code(), QVRCKErrorUnknownItem);
}

TEST_F(QVRCKMemoryDatabaseTests, FaultsDelaysAndCancelledCalls) {
  // A failed call never reaches the server; a lost reply does the work and says it failed.
  database->enqueuePlan(Operation::saveRecord, Plan::fail(QVRCKErrorNetworkUnavailable));
  EXPECT_EQ(save(record(std::nullopt, "failed")).code(), QVRCKErrorNetworkUnavailable);
  EXPECT_EQ(serverText(), "(none)");
  database->enqueuePlan(Operation::saveRecord, Plan::loseReply(QVRCKErrorNetworkFailure));
  const Answer lost = save(record(std::nullopt, "lost"));
  EXPECT_EQ(lost.code(), QVRCKErrorNetworkFailure);
  EXPECT_FALSE(lost.record);
  EXPECT_EQ(serverText(), "lost");

  // Later calls can be answered first; the server sees requests when they arrive.
  database->enqueuePlan(Operation::fetchRecord, Plan::answer(0, 30));
  database->enqueuePlan(Operation::saveRecord, Plan::answer(10, 5));
  Answer slowFetch;
  Answer save;
  database->fetchRecordWithID(QVRCKRecordID("R"), slowFetch.completion());
  database->saveRecord(record("1", "new"), save.completion());
  runLoop().advanceBy(14.9s);
  EXPECT_EQ(save.calls + slowFetch.calls, 0);
  runLoop().advanceBy(0.2s);
  EXPECT_EQ(save.calls, 1);
  EXPECT_EQ(slowFetch.calls, 0);
  runLoop().advanceBy(15s);
  ASSERT_EQ(slowFetch.calls, 1);
  EXPECT_EQ(slowFetch.record->recordChangeTag(), "1");

  // Calls still under way when the database goes are answered as cancelled, once.
  Answer pending;
  int subscriptions = 0;
  database->enqueuePlan(Operation::fetchRecord, Plan::answer(100, 0));
  database->fetchRecordWithID(QVRCKRecordID("R"), pending.completion());
  database->saveSubscription(
      QVRCKSubscription("T", "TRUEPREDICATE", "s", 3),
      [&](std::optional<QVRError> error) { subscriptions += error ? 10 : 1; });
  database.reset();
  environment().setSharedInstance<QVRCKCloudService>(nullptr);
  EXPECT_EQ(pending.calls, 1);
  EXPECT_EQ(pending.code(), QVRCKErrorOperationCancelled);
  EXPECT_EQ(subscriptions, 10);
  runLoop().advanceBy(200s);
  EXPECT_EQ(pending.calls, 1);
}

TEST_F(QVRCKMemoryDatabaseTests, ChangesOfSubscribedRecordTypesArePushed) {
  std::vector<std::string> pushes;
  database->setPushHandler([&](const std::string& name) { pushes.push_back(name); });
  save(record(std::nullopt, "before"));
  database->saveSubscription(QVRCKSubscription("QVRCKDocument", "TRUEPREDICATE", "s", 3),
                             [](auto) {});
  runLoop().runPending();
  save(record("1", "after"));
  database->enqueuePlan(Operation::push, Plan::fail(QVRCKErrorNetworkFailure));
  save(record("2", "push lost"));
  EXPECT_EQ(pushes, std::vector<std::string>{"R"});
}

// The record file: every kind of field and the tag survive; a record without its ID or type,
// or with a field of a class that is no asset, is refused.
TEST_F(QVRCKMemoryDatabaseTests, RecordsArchiveAndRefuseBrokenArchives) {
  QVRCKRecord original("QVRCKDocument", QVRCKRecordID("Tallix.tape"));
  original.setRecordChangeTag("tag");
  original.setObject(QVRCKAsset("/tmp/a file"), "contents");
  original.setObject(QVRPropertyList(std::int64_t{4294967295}), "checksum");
  original.setObject(QVRPropertyList(QVRPropertyList::Array{"x", 2.5, true}), "list");
  original.setObject(QVRPropertyList(QVRPropertyList::Dictionary{{"k", "v"}}), "map");
  const auto bytes = *QVRKeyedArchiver::archivedDataWithRootObject(original).value;
  const auto decoded = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRCKRecord>(
      bytes, QVRCKRecord::archiveClassNames());
  ASSERT_TRUE(decoded.value);
  EXPECT_EQ(*decoded.value, original);
  EXPECT_EQ(decoded.value->description(),
            "<CKRecord recordType=QVRCKDocument recordName=Tallix.tape recordChangeTag=tag "
            "values={checksum=4294967295; "
            "contents=<CKAsset fileURL=/tmp/a file>; list=(x, 2.5, 1); map={k = v; }}>");

  struct Broken {
    std::string_view name;
    void encodeWithCoder(QVRKeyedArchiver& coder) const {
      coder.encodeString("recordType", "QVRCKDocument");
      if (name != "no ID") coder.encodeObject("recordID", QVRCKRecordID("R"));
      coder.encodeDictionary("values", [&](auto& values) {
        if (name == "a field of another class") values.encodeObject("x", QVRCKRecordID("S"));
      });
    }
    std::string_view archiveClassName() const { return "CKRecord"; }
  };
  for (const std::string_view name : {"no ID", "a field of another class"}) {
    SCOPED_TRACE(name);
    const auto broken = *QVRKeyedArchiver::archivedDataWithRootObject(Broken{name}).value;
    EXPECT_FALSE(QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRCKRecord>(
                     broken, QVRCKRecord::archiveClassNames())
                     .value);
  }
}
