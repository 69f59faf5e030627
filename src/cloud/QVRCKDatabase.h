#pragma once

#include <functional>
#include <optional>

#include "cloud/QVRCKRecord.h"
#include "cloud/QVRCKRecordID.h"
#include "cloud/QVRCKSubscription.h"
#include "common/QVRError.h"

// A cloud database: records by ID, and subscriptions. Implementations: QVRCKMemoryDatabase (in
// memory, with injected faults, for tests); a directory store and a WebDAV store keep the same
// contracts (a record file per record, its assets beside it, change tags as opaque texts).
//
// Contracts every implementation keeps:
// - Each completion is called exactly once, on any thread, never before the call has returned.
//   Callers hand it to the main thread (QVRRunLoop::dispatchMain) before they touch their
//   state. A database finishes or cancels its work before it is destroyed, and never calls a
//   completion after that.
// - A record completion has either the record or an error of QVRCKErrorDomain, never both.
// - fetchRecordWithID answers the server's record with its current change tag; its assets are
//   files made for this answer, which do not change and stay readable as long as the database
//   lives. No such record: error QVRCKErrorUnknownItem.
// - saveRecord is conditional on the record's change tag: a record without a tag creates the
//   record and fails with QVRCKErrorServerRecordChanged when the server has one; a record with a
//   tag replaces the server's record only when the tag is the server's current one, fails with
//   QVRCKErrorServerRecordChanged when it is not and with QVRCKErrorUnknownItem when the server
//   has no such record. A failed save changes nothing. A successful one gives the record a new
//   tag and answers the record as saved. The assets' files are read before the completion is
//   called; the caller may remove them from then on.
// - saveSubscription keeps the subscription under its ID (saving the same ID again replaces it).
// - Any call may fail with any code of QVRCKErrorDomain; QVRCKErrorNetworkFailure means that
//   the server may have done the work or not.
class QVRCKDatabase {
 public:
  using RecordCompletion =
      std::function<void(std::optional<QVRCKRecord> record, std::optional<QVRError> error)>;
  using SubscriptionCompletion = std::function<void(std::optional<QVRError> error)>;

  QVRCKDatabase() = default;
  virtual ~QVRCKDatabase() = default;
  // Identity object: documents and completions refer to it.
  QVRCKDatabase(const QVRCKDatabase&) = delete;
  QVRCKDatabase& operator=(const QVRCKDatabase&) = delete;

  virtual void fetchRecordWithID(const QVRCKRecordID& recordID, RecordCompletion completion) = 0;
  virtual void saveRecord(const QVRCKRecord& record, RecordCompletion completion) = 0;
  virtual void saveSubscription(const QVRCKSubscription& subscription,
                                SubscriptionCompletion completion) = 0;
};
