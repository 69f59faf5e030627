#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cloud/QVRCKCredentials.h"
#include "cloud/QVRCKDatabase.h"

class QVRHTTPTransport;
class QVRRunLoop;

// The cloud store on a WebDAV server (Nextcloud, ownCloud, Apache mod_dav, …): a collection
// holding one file per record and its assets (QVRCKStoreFiles). The change tag is the server's
// strong ETag of the record file; a server that answers a weak ETag or none is refused with
// QVRCKErrorIncompatibleVersion, saying so.
//
// A save uploads the assets under fresh names (If-None-Match: *), then replaces the record file
// with a PUT that carries If-Match with the record's tag (If-None-Match: * for a new record).
// A conditional PUT alone is check-then-write on common servers, and PUT answers carry no ETag,
// so the record file is also held under a WebDAV LOCK from before the PUT until its new ETag has
// been read with a HEAD: two writers cannot both pass the check, and the ETag read is that of
// our own bytes. A server without locks (405, 501) gets the conditional PUT alone, and the new
// ETag is read with a GET whose body must be the bytes just written; when it is not, another
// writer came after us (whose PUT matched our ETag, so it had our record) and the answered tag
// matches no version, so the next poll takes the server's record.
//
// Status codes: 412 and 423 give QVRCKErrorServerRecordChanged, 404 QVRCKErrorUnknownItem,
// 401 and 403 QVRCKErrorNotAuthenticated, 507 QVRCKErrorQuotaExceeded, 5xx, 408 and 429
// QVRCKErrorServiceUnavailable; requests that got no answer QVRCKErrorNetworkFailure (or
// QVRCKErrorNetworkUnavailable when no connection could be made). Error texts name the method,
// the URL (never with credentials) and the status. Asset files that no record names any more
// are deleted after later saves once they are ten minutes old.
//
// Calls start on the main run loop's next turn (so no completion runs inside a call); their
// steps and completions run on the transport's thread. Pushes do not exist here: documents poll.
class QVRCKWebDAVDatabase final : public QVRCKDatabase {
 public:
  struct Options {
    // The collection of the records, an http or https URL ending with a slash, without user
    // information.
    std::string collectionURL;
    std::optional<QVRCKCredentials> credentials;
    // Where the files of fetched records' assets are made; removed with the database.
    std::filesystem::path answerDirectory;
  };

  // How often a fetch starts again when the record changed between reading it and its assets.
  static constexpr int fetchAttempts = 3;
  static constexpr auto assetGracePeriod = std::chrono::minutes(10);
  static constexpr std::string_view lockTimeout = "Second-60";

  // Sends through `transport`, which must outlive the database.
  QVRCKWebDAVDatabase(Options options, QVRHTTPTransport& transport);
  // Sends through a transport of its own.
  QVRCKWebDAVDatabase(Options options, std::unique_ptr<QVRHTTPTransport> transport);
  // Completes the calls still under way with QVRCKErrorOperationCancelled; an own transport is
  // stopped before this returns.
  ~QVRCKWebDAVDatabase() override;

  void fetchRecordWithID(const QVRCKRecordID& recordID, RecordCompletion completion) override;
  void saveRecord(const QVRCKRecord& record, RecordCompletion completion) override;
  // Kept; a WebDAV server sends no pushes.
  void saveSubscription(const QVRCKSubscription& subscription,
                        SubscriptionCompletion completion) override;

  const std::string& collectionURL() const;
  // Calls not yet completed.
  std::size_t pendingCount() const;

  struct State;

 private:
  std::unique_ptr<QVRHTTPTransport> _ownedTransport;
  std::shared_ptr<State> _state;
};
