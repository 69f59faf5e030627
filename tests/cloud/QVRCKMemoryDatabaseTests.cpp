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

// The conditional saves themselves are pinned down by the sync simulation, which loses edits or
// never converges when a stale save is taken or a current one refused.
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
