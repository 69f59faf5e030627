#include "cloud/QVRCKMemoryDatabase.h"

#include <fstream>
#include <system_error>
#include "cloud/QVRCKAsset.h"
#include "common/QVREnvironment.h"
#include "common/QVRFileReader.h"
#include "common/QVRRunLoop.h"

namespace {

QVRError cancelled() {
  return QVRCKErrorWithCode(QVRCKErrorOperationCancelled, "the database went away");
}

}  // namespace

QVRCKMemoryDatabase::QVRCKMemoryDatabase(std::filesystem::path assetDirectory)
    : _assetDirectory(std::move(assetDirectory)),
      _lifetime(std::make_shared<QVRCKMemoryDatabase*>(this)) {}

QVRCKMemoryDatabase::~QVRCKMemoryDatabase() {
  _lifetime.reset();
  // Each call completes exactly once: what is still under way is cancelled, in order.
  auto pending = std::move(_pending);
  _pending.clear();
  for (auto& [identifier, entry] : pending) {
    entry.timer.invalidate();
    if (entry.cancel) entry.cancel();
  }
}

void QVRCKMemoryDatabase::enqueuePlan(Operation operation, Plan plan) {
  _scripted[operation].push_back(plan);
}

QVRCKMemoryDatabase::Plan QVRCKMemoryDatabase::planFor(Operation operation,
                                                       const std::string& name) {
  _calls.push_back({operation, name, _calls.size() + 1});
  auto& scripted = _scripted[operation];
  if (!scripted.empty()) {
    Plan plan = scripted.front();
    scripted.pop_front();
    return plan;
  }
  return _planner ? _planner(_calls.back()) : Plan::answer();
}

std::size_t QVRCKMemoryDatabase::callCount(Operation operation) const {
  std::size_t count = 0;
  for (const Call& call : _calls) count += call.operation == operation ? 1 : 0;
  return count;
}

void QVRCKMemoryDatabase::schedule(QVRTimer::Interval delay, std::function<void()> step,
                                   std::function<void()> cancel) {
  const std::uint64_t identifier = ++_nextPending;
  Pending& entry = _pending[identifier];
  entry.step = std::move(step);
  entry.cancel = std::move(cancel);
  if (delay.count() > 0) {
    entry.timer =
        QVRTimer::scheduledTimerWithTimeInterval(delay, [this, identifier] { fire(identifier); });
  } else {
    std::weak_ptr<QVRCKMemoryDatabase*> lifetime = _lifetime;
    QVREnvironment::current().runLoop().dispatchMain([lifetime, identifier] {
      if (const auto database = lifetime.lock()) (*database)->fire(identifier);
    });
  }
}

void QVRCKMemoryDatabase::fire(std::uint64_t identifier) {
  auto node = _pending.extract(identifier);
  if (node.empty()) return;
  // The timer stops with `node`, after its one run.
  node.mapped().step();
}

void QVRCKMemoryDatabase::fetchRecordWithID(const QVRCKRecordID& recordID,
                                            RecordCompletion completion) {
  const Plan plan = planFor(Operation::fetchRecord, recordID.recordName());
  auto shared = std::make_shared<RecordCompletion>(std::move(completion));
  const auto cancel = [shared] { (*shared)(std::nullopt, cancelled()); };
  schedule(
      plan.requestDelay,
      [this, plan, shared, cancel, name = recordID.recordName()] {
        std::optional<QVRCKRecord> record;
        std::optional<QVRError> error;
        if (plan.outcome == Plan::Outcome::answer) {
          const auto found = _records.find(name);
          if (found == _records.end()) {
            error = QVRCKErrorWithCode(QVRCKErrorUnknownItem, "no record " + name);
          } else {
            record = answerRecord(found->second, plan.assetsMissing);
            if (!record) error = QVRCKErrorWithCode(QVRCKErrorInternalError, "no asset file");
          }
        } else {
          error = QVRCKErrorWithCode(plan.code, "injected");
        }
        schedule(
            plan.replyDelay,
            [shared, record = std::move(record), error = std::move(error)] {
              (*shared)(record, error);
            },
            cancel);
      },
      cancel);
}

void QVRCKMemoryDatabase::saveRecord(const QVRCKRecord& record, RecordCompletion completion) {
  const Plan plan = planFor(Operation::saveRecord, record.recordID().recordName());
  auto shared = std::make_shared<RecordCompletion>(std::move(completion));
  const auto cancel = [shared] { (*shared)(std::nullopt, cancelled()); };
  // The files are read as the request leaves: the caller may remove them once it is answered.
  std::string failedFile;
  auto snapshotted = snapshot(record, &failedFile);
  schedule(
      plan.requestDelay,
      [this, plan, shared, cancel, snapshotted = std::move(snapshotted), failedFile] {
        std::optional<QVRCKRecord> saved;
        std::optional<QVRError> error;
        if (plan.outcome == Plan::Outcome::fail) {
          error = QVRCKErrorWithCode(plan.code, "injected");
        } else if (!snapshotted) {
          error = QVRCKErrorWithCode(QVRCKErrorAssetFileNotFound, "cannot read " + failedFile);
        } else {
          QVRCKRecord answer = snapshotted->record;
          error = applySave(*snapshotted, &answer);
          if (!error) saved = std::move(answer);
          if (plan.outcome == Plan::Outcome::loseReply) {
            saved.reset();
            error = QVRCKErrorWithCode(plan.code, "reply lost");
          }
        }
        schedule(
            plan.replyDelay,
            [shared, saved = std::move(saved), error = std::move(error)] {
              (*shared)(saved, error);
            },
            cancel);
      },
      cancel);
}

void QVRCKMemoryDatabase::saveSubscription(const QVRCKSubscription& subscription,
                                           SubscriptionCompletion completion) {
  const Plan plan = planFor(Operation::saveSubscription, subscription.subscriptionID());
  auto shared = std::make_shared<SubscriptionCompletion>(std::move(completion));
  const auto cancel = [shared] { (*shared)(cancelled()); };
  schedule(
      plan.requestDelay,
      [this, plan, shared, cancel, subscription] {
        std::optional<QVRError> error;
        if (plan.outcome != Plan::Outcome::fail) {
          _subscriptions.insert_or_assign(subscription.subscriptionID(), subscription);
        }
        if (plan.outcome != Plan::Outcome::answer)
          error = QVRCKErrorWithCode(plan.code, "injected");
        schedule(
            plan.replyDelay, [shared, error] { (*shared)(error); }, cancel);
      },
      cancel);
}

std::optional<QVRCKMemoryDatabase::StoredRecord> QVRCKMemoryDatabase::snapshot(
    const QVRCKRecord& record, std::string* failedFile) const {
  StoredRecord stored{record, {}};
  for (const auto& [key, value] : record.fields()) {
    const auto* asset = std::get_if<QVRCKAsset>(&value);
    if (!asset) continue;
    auto bytes = QVRFileReader::contentsOfFile(asset->fileURL(), QVRCKAsset::maximumFileSize);
    if (!bytes.value) {
      if (failedFile) *failedFile = asset->fileURL().string();
      return std::nullopt;
    }
    stored.assets.emplace(key, std::move(*bytes.value));
  }
  return stored;
}

std::optional<QVRError> QVRCKMemoryDatabase::applySave(StoredRecord snapshot, QVRCKRecord* saved) {
  const std::string& name = snapshot.record.recordID().recordName();
  const auto& tag = snapshot.record.recordChangeTag();
  const auto found = _records.find(name);
  if (found == _records.end()) {
    if (tag) return QVRCKErrorWithCode(QVRCKErrorUnknownItem, "no record " + name);
  } else if (!tag || *tag != found->second.record.recordChangeTag()) {
    return QVRCKErrorWithCode(QVRCKErrorServerRecordChanged, "record " + name + " changed");
  }
  const std::string newTag = store(std::move(snapshot));
  saved->setRecordChangeTag(newTag);
  return std::nullopt;
}

std::string QVRCKMemoryDatabase::store(StoredRecord snapshot) {
  const std::string tag = std::to_string(++_changeCounter);
  snapshot.record.setRecordChangeTag(tag);
  const std::string name = snapshot.record.recordID().recordName();
  const std::string type = snapshot.record.recordType();
  _records.insert_or_assign(name, std::move(snapshot));
  sendPush(name, type);
  return tag;
}

std::optional<std::string> QVRCKMemoryDatabase::storeRecord(const QVRCKRecord& record) {
  auto snapshotted = snapshot(record, nullptr);
  if (!snapshotted) return std::nullopt;
  return store(std::move(*snapshotted));
}

void QVRCKMemoryDatabase::sendPush(const std::string& recordName, const std::string& recordType) {
  if (!_pushHandler) return;
  bool covered = false;
  for (const auto& entry : _subscriptions)
    covered = covered || entry.second.recordType() == recordType;
  if (!covered) return;
  const Plan plan = planFor(Operation::push, recordName);
  if (plan.outcome != Plan::Outcome::answer) return;
  schedule(
      plan.requestDelay + plan.replyDelay,
      [this, recordName] {
        if (_pushHandler) _pushHandler(recordName);
      },
      nullptr);
}

std::optional<QVRCKRecord> QVRCKMemoryDatabase::answerRecord(const StoredRecord& stored,
                                                             bool assetsMissing) {
  QVRCKRecord answer = stored.record;
  for (const auto& [key, bytes] : stored.assets) {
    const std::string cacheKey =
        answer.recordID().recordName() + '\n' + answer.recordChangeTag().value_or("") + '\n' + key;
    auto found = _assetFiles.find(cacheKey);
    if (found == _assetFiles.end()) {
      // A file of its own that nobody reads before it is whole: no need to sync or rename.
      const auto path = _assetDirectory / ("asset-" + std::to_string(++_assetCounter));
      std::error_code made;
      std::filesystem::create_directories(_assetDirectory, made);
      std::ofstream file(path, std::ios::binary | std::ios::trunc);
      file.write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
      file.close();
      if (!file) return std::nullopt;
      found = _assetFiles.emplace(cacheKey, path).first;
    }
    answer.setObject(
        QVRCKAsset(assetsMissing ? std::filesystem::path(found->second.string() + ".missing")
                                 : found->second),
        key);
  }
  return answer;
}

std::optional<QVRCKRecord> QVRCKMemoryDatabase::serverRecord(std::string_view recordName) const {
  const auto found = _records.find(recordName);
  if (found == _records.end()) return std::nullopt;
  return found->second.record;
}

std::optional<QVRPropertyList::Data> QVRCKMemoryDatabase::serverAsset(std::string_view recordName,
                                                                      std::string_view key) const {
  const auto found = _records.find(recordName);
  if (found == _records.end()) return std::nullopt;
  const auto asset = found->second.assets.find(key);
  if (asset == found->second.assets.end()) return std::nullopt;
  return asset->second;
}

void QVRCKMemoryDatabase::removeRecord(std::string_view recordName) {
  const auto found = _records.find(recordName);
  if (found != _records.end()) _records.erase(found);
}

std::vector<QVRCKSubscription> QVRCKMemoryDatabase::subscriptions() const {
  std::vector<QVRCKSubscription> subscriptions;
  for (const auto& entry : _subscriptions) subscriptions.push_back(entry.second);
  return subscriptions;
}
