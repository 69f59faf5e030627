#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cloud/QVRCKDatabase.h"
#include "cloud/QVRCKError.h"
#include "common/QVRPropertyList.h"
#include "common/QVRTimer.h"

// A cloud database in memory, for tests and simulations, that keeps the contracts of
// QVRCKDatabase and lets the test decide the fate of every call:
// - a call is answered, fails with any code without reaching the server, or reaches the server
//   and then loses its reply (the caller hears an error although the work was done);
// - the request takes `requestDelay` to reach the server and the answer `replyDelay` to come
//   back, both in the run loop's (virtual) time, so answers can overtake each other;
// - a change of a record that a subscription covers sends a push (through the push handler),
//   which can be delayed or lost the same way.
// Plans come from a queue of scripted plans per operation first, then from the planner; without
// either every call is answered at once (on the next turn of the run loop).
//
// Fetched records carry their assets as files in `assetDirectory`, one per version of a record
// and field, kept until the database goes. A change tag is the text of a counter. Called and
// answering on the main thread (its delays are timers of the run loop).
class QVRCKMemoryDatabase final : public QVRCKDatabase {
 public:
  enum class Operation { fetchRecord, saveRecord, saveSubscription, push };

  struct Call {
    Operation operation;
    // The record's name; the subscription's ID for saveSubscription.
    std::string name;
    std::uint64_t number;
  };

  struct Plan {
    enum class Outcome { answer, fail, loseReply };

    Outcome outcome = Outcome::answer;
    // The error that the caller hears after fail and loseReply.
    std::int64_t code = QVRCKErrorNetworkFailure;
    QVRTimer::Interval requestDelay{0};
    QVRTimer::Interval replyDelay{0};
    // A fetched record's assets name files that are not there.
    bool assetsMissing = false;

    static Plan answer(double requestDelay = 0, double replyDelay = 0) {
      return make(Outcome::answer, 0, requestDelay, replyDelay);
    }
    static Plan fail(std::int64_t code, double requestDelay = 0, double replyDelay = 0) {
      return make(Outcome::fail, code, requestDelay, replyDelay);
    }
    static Plan loseReply(std::int64_t code = QVRCKErrorNetworkFailure, double requestDelay = 0,
                          double replyDelay = 0) {
      return make(Outcome::loseReply, code, requestDelay, replyDelay);
    }

   private:
    static Plan make(Outcome outcome, std::int64_t code, double requestDelay, double replyDelay) {
      Plan plan;
      plan.outcome = outcome;
      plan.code = code;
      plan.requestDelay = QVRTimer::Interval(requestDelay);
      plan.replyDelay = QVRTimer::Interval(replyDelay);
      return plan;
    }
  };

  using Planner = std::function<Plan(const Call&)>;
  using PushHandler = std::function<void(const std::string& recordName)>;

  explicit QVRCKMemoryDatabase(std::filesystem::path assetDirectory);
  // Calls the completions still under way with QVRCKErrorOperationCancelled.
  ~QVRCKMemoryDatabase() override;

  void fetchRecordWithID(const QVRCKRecordID& recordID, RecordCompletion completion) override;
  void saveRecord(const QVRCKRecord& record, RecordCompletion completion) override;
  void saveSubscription(const QVRCKSubscription& subscription,
                        SubscriptionCompletion completion) override;

  void setPlanner(Planner planner) { _planner = std::move(planner); }
  // The plan of the next call of `operation`, before the planner is asked.
  void enqueuePlan(Operation operation, Plan plan);
  void setPushHandler(PushHandler handler) { _pushHandler = std::move(handler); }

  // The server's side, as another device would change it: no plans, no delays.
  // The record as stored (its assets name the files it was saved from); none when there is none.
  std::optional<QVRCKRecord> serverRecord(std::string_view recordName) const;
  // The bytes of an asset field of a stored record.
  std::optional<QVRPropertyList::Data> serverAsset(std::string_view recordName,
                                                   std::string_view key) const;
  // Stores `record` unconditionally with a new change tag (reading its asset files now), sends
  // the push, and answers the tag; none when an asset file cannot be read.
  std::optional<std::string> storeRecord(const QVRCKRecord& record);
  void removeRecord(std::string_view recordName);
  std::vector<QVRCKSubscription> subscriptions() const;

  const std::vector<Call>& calls() const { return _calls; }
  std::size_t callCount(Operation operation) const;
  // Requests and answers still on their way.
  std::size_t pendingCount() const { return _pending.size(); }

 private:
  struct StoredRecord {
    QVRCKRecord record;
    std::map<std::string, QVRPropertyList::Data, std::less<>> assets;
  };
  struct Pending {
    std::function<void()> step;
    // Completes the call with QVRCKErrorOperationCancelled when the database goes first.
    std::function<void()> cancel;
    QVRTimer timer;
  };

  Plan planFor(Operation operation, const std::string& name);
  // Runs `step` after `delay` (on the next turn of the run loop for none).
  void schedule(QVRTimer::Interval delay, std::function<void()> step, std::function<void()> cancel);
  void fire(std::uint64_t identifier);
  // Reads the asset files of `record`; none and the failing file when one cannot be read.
  std::optional<StoredRecord> snapshot(const QVRCKRecord& record, std::string* failedFile) const;
  // Applies a conditional save; the stored record, or the error.
  std::optional<QVRError> applySave(StoredRecord snapshot, QVRCKRecord* saved);
  std::string store(StoredRecord snapshot);
  void sendPush(const std::string& recordName, const std::string& recordType);
  // The record as fetched: each asset as a file of its own version.
  std::optional<QVRCKRecord> answerRecord(const StoredRecord& stored, bool assetsMissing);

  std::filesystem::path _assetDirectory;
  std::map<std::string, StoredRecord, std::less<>> _records;
  std::map<std::string, QVRCKSubscription, std::less<>> _subscriptions;
  std::map<std::string, std::filesystem::path, std::less<>> _assetFiles;
  std::uint64_t _changeCounter = 0;
  std::uint64_t _assetCounter = 0;
  Planner _planner;
  std::map<Operation, std::deque<Plan>> _scripted;
  PushHandler _pushHandler;
  std::vector<Call> _calls;
  std::uint64_t _nextPending = 0;
  std::map<std::uint64_t, Pending> _pending;
  // Blocks handed to the run loop hold it weakly: gone with the database.
  std::shared_ptr<QVRCKMemoryDatabase*> _lifetime;
};
