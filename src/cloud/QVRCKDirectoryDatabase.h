#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "cloud/QVRCKDatabase.h"

class QVRCKDirectoryWatcher;
class QVRCKWorkQueue;
class QVRPollRunLoop;

// The embedded cloud store: a folder (on this disk, or one that a file-sync tool or a network
// mount shares between machines) holding one file per record and its assets (QVRCKStoreFiles),
// and a lock file. Change tags are fresh UUIDs kept in the record file.
//
// A save is a compare-and-swap between processes: under an exclusive flock(2) of ".lock" it reads
// the record file, compares the tags, writes the assets under fresh names, then the record file
// (written whole, synced and renamed over the old one). A fetch reads the record file and copies
// its assets under a shared lock, so that it never meets a record whose assets are being cleaned
// up; asset files that no record names any more are removed by later saves once they are a minute
// old (a reader on another machine may still be on its way to them). An unreadable record file
// counts as no record (a fetch answers QVRCKErrorUnknownItem saying why) and is moved aside by the
// next save, so the store heals instead of refusing every save.
//
// Work runs on a worker thread, where every completion is called. Pushes: with a poll run loop,
// record files written in the folder by other processes are reported on the loop's thread
// (inotify) once a subscription has been saved; the record files this database wrote itself are
// not reported.
class QVRCKDirectoryDatabase final : public QVRCKDatabase {
 public:
  using PushHandler = std::function<void(const std::string& recordName)>;

  struct Options {
    // Where the database makes a folder of its own for the files of fetched records' assets
    // (removed with the database); the environment's temporary directory when empty.
    std::filesystem::path answerDirectory;
    // The loop that watches the folder for other processes' changes; none for no pushes.
    QVRPollRunLoop* pushLoop = nullptr;
    PushHandler pushHandler;
  };

  static constexpr std::string_view lockFileName = ".lock";
  // Unreferenced asset files younger than this stay.
  static constexpr auto assetGracePeriod = std::chrono::seconds(60);

  QVRCKDirectoryDatabase(std::filesystem::path folder, Options options);
  // Cancels the calls that have not started, waits for the one running, removes the answers.
  ~QVRCKDirectoryDatabase() override;

  void fetchRecordWithID(const QVRCKRecordID& recordID, RecordCompletion completion) override;
  void saveRecord(const QVRCKRecord& record, RecordCompletion completion) override;
  void saveSubscription(const QVRCKSubscription& subscription,
                        SubscriptionCompletion completion) override;

  const std::filesystem::path& folder() const { return _folder; }
  // Calls handed over and not yet completed.
  std::size_t pendingCount() const;
  // Blocks until every call handed over so far has completed.
  void waitUntilIdle() const;
  bool isWatching() const;

 private:
  struct Answer {
    std::optional<QVRCKRecord> record;
    std::optional<QVRError> error;
  };

  // On the worker, under the lock.
  Answer fetchNow(const std::string& recordName);
  Answer saveNow(const QVRCKRecord& record);
  // The record file's record, none when there is none; `unreadable` says why it could not be read.
  std::optional<QVRCKRecord> readRecord(const std::string& recordName, std::string* unreadable);
  std::optional<std::filesystem::path> answerFile(const QVRCKRecord& stored, const std::string& key,
                                                  const std::string& assetName, QVRError* error);
  void removeUnusedAssets(const QVRCKRecord& current, const std::optional<QVRCKRecord>& previous);
  // On the loop's thread.
  void recordFileChanged(const std::string& recordName);

  std::filesystem::path _folder;
  Options _options;
  // The database's own folder in the answer directory.
  std::filesystem::path _answerFolder;
  std::unique_ptr<QVRCKDirectoryWatcher> _watcher;
  // Answer files by record, change tag and field; worker only.
  std::map<std::string, std::filesystem::path> _answers;
  mutable std::mutex _mutex;
  bool _subscribed = false;
  // The tag of the last record file written here, by record name.
  std::map<std::string, std::string, std::less<>> _ownTags;
  std::unique_ptr<QVRCKWorkQueue> _queue;
};
