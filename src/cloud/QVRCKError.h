#pragma once

#include <cstdint>
#include <string_view>

#include "common/QVRError.h"

// The error domain of the cloud database and the codes that callers act on. Stores answer
// errors of this domain with the platform's code numbers; the codes not named here (anything
// from 1 to 36) are failures that only get logged and retried.
inline constexpr std::string_view QVRCKErrorDomain = "CKErrorDomain";

enum QVRCKErrorCode : std::int64_t {
  QVRCKErrorInternalError = 1,
  QVRCKErrorNetworkUnavailable = 3,
  // The request or its answer got lost on the way: the server may or may not have done the work.
  QVRCKErrorNetworkFailure = 4,
  QVRCKErrorServiceUnavailable = 6,
  // The program may not use the cloud (no rights to the container).
  QVRCKErrorMissingEntitlement = 8,
  // No user is signed in.
  QVRCKErrorNotAuthenticated = 9,
  // The server knows no such record (fetching one never saved, or saving over one removed).
  QVRCKErrorUnknownItem = 11,
  // A request the store cannot carry out as asked (a record name it cannot keep).
  QVRCKErrorInvalidArguments = 12,
  // A conditional save carried a change tag that is not the server's current one.
  QVRCKErrorServerRecordChanged = 14,
  // The server refused the request for a reason of its own.
  QVRCKErrorServerRejectedRequest = 15,
  // A record's asset file could not be read when it was saved.
  QVRCKErrorAssetFileNotFound = 16,
  // The server no longer speaks this program's version.
  QVRCKErrorIncompatibleVersion = 18,
  QVRCKErrorOperationCancelled = 20,
  // The store has no room for the record.
  QVRCKErrorQuotaExceeded = 25,
};

// The largest code a store may answer.
inline constexpr std::int64_t QVRCKErrorLargestCode = 36;

// An error of the cloud domain; the text says what happened, for the log.
inline QVRError QVRCKErrorWithCode(std::int64_t code, std::string_view text = {}) {
  return QVRError(std::string(QVRCKErrorDomain), code, std::string(text));
}

// Whether `error` is of the cloud domain with `code`.
inline bool QVRCKErrorHasCode(const QVRError& error, std::int64_t code) {
  return error.domain() == QVRCKErrorDomain && error.code() == code;
}
