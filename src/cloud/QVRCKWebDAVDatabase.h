#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "cloud/QVRCKCredentials.h"
#include "cloud/QVRCKDatabase.h"
#include "common/QVRHTTPTransport.h"

class QVRCKWorkQueue;

// The cloud store on a WebDAV server (Nextcloud, ownCloud, Apache mod_dav, …): a collection
// holding one file per record and its assets (QVRCKStoreFiles). The change tag is the server's
// strong ETag of the record file; a server that answers a weak ETag or none is refused with
// QVRCKErrorIncompatibleVersion, saying so.
//
// A save uploads the assets under fresh names (If-None-Match: *), then takes a WebDAV LOCK on
// the record file, compares the record's tag with the server's ETag, replaces the file with a PUT
// carrying the lock token and If-Match with the tag (If-None-Match: * for a new record), reads
// the new ETag with a HEAD and unlocks. A conditional PUT alone is check-then-write on common
// servers, and PUT answers carry no ETag: under the lock no other writer can come between the
// check and the write, nor between the write and the HEAD, so the ETag read is that of our own
// bytes. A server without locks (LOCK answers 405 or 501) gets the conditional PUT alone, and the
// new ETag comes from a GET whose body must be the bytes just written (each version's bytes are
// unique: they name fresh asset files); when it is not, another writer replaced our version
// (with our tag, so it had our record), and the save answers a tag that matches no version, so
// that the next poll takes the server's record.
//
// Status codes: 412 and 423 give QVRCKErrorServerRecordChanged, 404 QVRCKErrorUnknownItem,
// 401 and 403 QVRCKErrorNotAuthenticated, 507 QVRCKErrorQuotaExceeded, 5xx, 408 and 429
// QVRCKErrorServiceUnavailable, others QVRCKErrorServerRejectedRequest; requests that got no
// answer QVRCKErrorNetworkFailure (QVRCKErrorNetworkUnavailable when no connection could be
// made). Error texts name the method, the URL and the status, never the credentials. Asset files
// that no record names any more are deleted by later saves once they are ten minutes old.
//
// Calls run one after the other on a worker thread, where their completions are called. A
// WebDAV server sends no pushes: documents poll.
class QVRCKWebDAVDatabase final : public QVRCKDatabase {
 public:
  struct Options {
    // The collection of the records: an http or https URL ending with a slash, without user
    // information. Made on the first save when it is missing.
    std::string collectionURL;
    std::optional<QVRCKCredentials> credentials;
    // Where the database makes a folder of its own for the files of fetched records' assets
    // (removed with the database).
    std::filesystem::path answerDirectory;
    // How long one request may take.
    std::chrono::milliseconds requestTimeout{30'000};
  };

  // How often a fetch starts again when the record changed between reading it and its assets.
  static constexpr int fetchAttempts = 3;
  static constexpr auto assetGracePeriod = std::chrono::minutes(10);
  static constexpr std::string_view lockTimeout = "Second-60";

  // Sends through a transport of its own (libcurl).
  explicit QVRCKWebDAVDatabase(Options options);
  // Sends through `transport`, which must outlive the database.
  QVRCKWebDAVDatabase(Options options, QVRHTTPTransport& transport);
  // Completes the calls that have not started with QVRCKErrorOperationCancelled and waits for
  // the one under way.
  ~QVRCKWebDAVDatabase() override;

  void fetchRecordWithID(const QVRCKRecordID& recordID, RecordCompletion completion) override;
  void saveRecord(const QVRCKRecord& record, RecordCompletion completion) override;
  // Kept; a WebDAV server sends no pushes.
  void saveSubscription(const QVRCKSubscription& subscription,
                        SubscriptionCompletion completion) override;

  const std::string& collectionURL() const { return _options.collectionURL; }
  std::size_t pendingCount() const;
  // Blocks until every call handed over so far has completed.
  void waitUntilIdle() const;

  // The URL of a file of the collection: its name percent-encoded.
  static std::string fileURL(std::string_view collectionURL, std::string_view fileName);

 private:
  struct Answer {
    std::optional<QVRCKRecord> record;
    std::optional<QVRError> error;
  };
  struct Reply;

  QVRCKWebDAVDatabase(Options options, std::unique_ptr<QVRHTTPTransport> ownedTransport);

  // On the worker.
  Answer fetchNow(const std::string& recordName);
  Answer fetchOnce(const std::string& recordName, bool& assetMissing);
  Answer saveNow(const QVRCKRecord& record);
  Reply send(std::string method, const std::string& url, QVRHTTPHeaders headers = {},
             std::string body = {});
  std::optional<QVRError> putAssets(const QVRCKRecord& record, QVRCKRecord& stored,
                                    std::vector<std::string>& uploaded);
  void removeUnusedAssets(const std::string& recordName, const std::set<std::string>& used);

  Options _options;
  std::unique_ptr<QVRHTTPTransport> _ownedTransport;
  QVRHTTPTransport* _transport;
  std::filesystem::path _answerFolder;
  // Answer files by record name, change tag and field; worker only.
  std::map<std::string, std::filesystem::path> _answers;
  // Whether the server takes LOCK; learnt on the first save. Worker only.
  std::optional<bool> _serverLocks;
  std::unique_ptr<QVRCKWorkQueue> _queue;
};
