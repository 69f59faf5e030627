#include <system_error>

#include "cloud/QVRCKContainer.h"
#include "cloud/QVRCKDatabase.h"
#include "cloud/QVRCKDocument.h"
#include "cloud/QVRCKError.h"
#include "common/QVRData.h"
#include "common/QVREnvironment.h"
#include "common/QVRException.h"
#include "common/QVRFileReader.h"
#include "common/QVRLogger.h"
#include "common/QVRRunLoop.h"
#include "common/QVRString.h"

namespace {

// Poll errors after which the cloud stays off for the document's life.
bool disablesCloud(const QVRError& error) {
  return QVRCKErrorHasCode(error, QVRCKErrorMissingEntitlement) ||
         QVRCKErrorHasCode(error, QVRCKErrorNotAuthenticated) ||
         QVRCKErrorHasCode(error, QVRCKErrorIncompatibleVersion);
}

std::string describe(const QVRCKDocument::Contents& contents) {
  return contents ? contents->description() : "(null)";
}

}  // namespace

QVRCKDatabase* QVRCKDocument::_database() const {
  return _container ? _container->privateCloudDatabase() : nullptr;
}

void QVRCKDocument::_saveSubscription() {
  QVRRunLoop& mainLoop = QVREnvironment::current().runLoop();
  std::weak_ptr<QVRCKDocument*> lifetime = _lifetime;
  _database()->saveSubscription(_subscription, [&mainLoop, lifetime, subscription = _subscription](
                                                   std::optional<QVRError> error) {
    mainLoop.dispatchMain([lifetime, subscription, error = std::move(error)] {
      // Logged even when the document has gone meanwhile.
      if (error) QVRLogger::logError(*error, "Creating subscription " + subscription.description());
      if (const auto document = lifetime.lock()) (*document)->_subscriptionSaved(error);
    });
  });
}

void QVRCKDocument::_subscriptionSaved(const std::optional<QVRError>& error) {
  if (error) _pollFast = true;
  _resetPollTimer();
}

void QVRCKDocument::_resetPollTimer() {
  _pollTimer.invalidate();
  if (_iCloudDisabled) return;
  const QVRTimer::Interval interval = _pollFast ? fastPollInterval : pollInterval;
  _pollTimer = QVRTimer::scheduledTimerWithTimeInterval(interval, [this] { _poll(); });
  _pollTimer.setTolerance(interval * pollToleranceFraction);
}

void QVRCKDocument::_pollNotification(const QVRNotification& notification) {
  const auto* recordName =
      notification.userInfoValue<std::string>(QVRCKDocumentRemoteNotificationRecordNameKey);
  if (!recordName || *recordName != _record.recordID().recordName()) return;
  logInfo("Push Poll");
  _poll();
}

void QVRCKDocument::_poll() {
  if (_polling || _posting || _iCloudDisabled) return;
  logInfo("Polling");
  _polling = true;
  QVRRunLoop& mainLoop = QVREnvironment::current().runLoop();
  std::weak_ptr<QVRCKDocument*> lifetime = _lifetime;
  _database()->fetchRecordWithID(_record.recordID(), [&mainLoop, lifetime, kept = _record](
                                                         std::optional<QVRCKRecord> fetched,
                                                         std::optional<QVRError> error) {
    mainLoop.dispatchMain([lifetime, kept, fetched = std::move(fetched), error = std::move(error)] {
      if (const auto document = lifetime.lock()) (*document)->_pollCompleted(kept, fetched, error);
    });
  });
}

void QVRCKDocument::_pollCompleted(const QVRCKRecord& kept,
                                   const std::optional<QVRCKRecord>& fetched,
                                   const std::optional<QVRError>& error) {
  if (error || !fetched) {
    const QVRError failure =
        error.value_or(QVRCKErrorWithCode(QVRCKErrorInternalError, "no record and no error"));
    if (disablesCloud(failure)) _iCloudDisabled = true;
    QVRLogger::logError(failure, "Polling record " + kept.description());
    if (QVRCKErrorHasCode(failure, QVRCKErrorUnknownItem)) _noteSync(false);
  } else {
    // A record never saved has no tag, and matches none.
    const auto& tag = _record.recordChangeTag();
    const bool unchanged = tag && fetched->recordChangeTag() == tag;
    if (!unchanged && !_takeFetchedRecord(*fetched)) return;
    _noteSync(false);
  }
  _polling = false;
  logInfo("Polled");
  _resetPollTimer();
}

bool QVRCKDocument::_takeFetchedRecord(const QVRCKRecord& fetched) {
  const QVRCKAsset* asset = fetched.assetForKey(QVRCKDocumentContentsKey);
  if (!asset) return true;
  auto bytes = QVRFileReader::contentsOfFile(asset->fileURL(), QVRCKAsset::maximumFileSize);
  if (!bytes.value) {
    if (bytes.error) {
      QVRLogger::logError(*bytes.error, "Reading new contents file " + asset->fileURL().string());
    }
    return true;
  }
  if (bytes.value->empty()) return true;
  const std::uint32_t checksum = QVRData::crc32(*bytes.value);

  DecodedArchive server;
  try {
    server = _decodeArchive(*bytes.value, false);
  } catch (const QVRException& exception) {
    QVRLogger::logException(exception, "Decoding new contents file " + asset->fileURL().string());
    return true;
  }
  if (server.version > documentVersion) {
    QVRLogger::logFormat("Found document version " + std::to_string(server.version) +
                         ", newest supported version " + std::to_string(documentVersion));
    _iCloudDisabled = true;
    _polling = false;
    return false;
  }
  if (!server.contents) return true;

  if (_needsToPost) {
    logInfo("Merging from network");
    Contents merged;
    try {
      merged = _contentsClass.mergeLocalContents(_contents, server.contents);
    } catch (const QVRException& exception) {
      QVRLogger::logException(exception, "Failed to merge contents " + describe(_contents) +
                                             " with " + describe(server.contents));
      merged = server.contents;
    }
    setContents(std::move(merged));
    _record = fetched;
    // The merged contents reach the file with the next save; the record file waits for it.
    if (_needsToSave) {
      _recordFileIsBehind = true;
    } else {
      _writeRecordFile();
    }
  } else {
    logInfo("Reloading from network");
    _makeDirectory();
    // The server's bytes go to the file whole, written atomically: a crash leaves the old file
    // or the new one, never none.
    bool copied = true;
    if (auto failure =
            QVRFileWriter::writeAtomically(contentsURL(), *bytes.value, _storage.systemCalls)) {
      QVRLogger::logError(*failure, "Copying new contents to " + contentsURL().string());
      copied = false;
      setNeedsToSave(true);
    }
    _contents = std::move(server.contents);
    _contentsChecksum = checksum;
    contentsDidChange();
    _record = fetched;
    if (copied) {
      _writeRecordFile();
    } else {
      _recordFileIsBehind = true;
    }
  }
  QVREnvironment::current().notificationCenter().post(QVRCKDocumentChangedExternally, this);
  return true;
}

void QVRCKDocument::_postIfNeeded() {
  if (_polling || _posting || !_contents || _iCloudDisabled || !_needsToPost) return;
  logInfo("Posting");
  _posting = true;
  setNeedsToPost(false);
  if (_needsToSave) _saveIfNeeded();
  if (_needsToSave) {
    // The save failed: the file is older than the contents, and uploading it would mark them
    // as uploaded. The post is tried again after the save succeeds, or in 120 seconds.
    _posting = false;
    setNeedsToPost(true);
    return;
  }

  const std::filesystem::path temporary = _storage.temporaryDirectory / QVRString::uuid();
  auto bytes = QVRFileReader::contentsOfFile(contentsURL(), QVRCKAsset::maximumFileSize);
  std::optional<QVRError> failure = std::move(bytes.error);
  if (bytes.value)
    failure = QVRFileWriter::writeAtomically(temporary, *bytes.value, _storage.systemCalls);
  if (failure || !bytes.value) {
    QVRLogger::logError(failure.value_or(QVRError(std::string(QVRFileWriter::errorDomain), 0)),
                        "Creating temporary file from " + contentsURL().string());
    _posting = false;
    setNeedsToPost(true);
    return;
  }

  QVRCKRecord copy = _record;
  copy.setObject(QVRCKAsset(temporary), QVRCKDocumentContentsKey);
  copy.setObject(QVRPropertyList(documentVersion), QVRCKDocumentVersionKey);
  copy.setObject(QVRPropertyList(std::int64_t{_contentsChecksum}), QVRCKDocumentCheckumKey);
  QVRRunLoop& mainLoop = QVREnvironment::current().runLoop();
  std::weak_ptr<QVRCKDocument*> lifetime = _lifetime;
  _database()->saveRecord(
      copy, [&mainLoop, lifetime, copy, temporary](std::optional<QVRCKRecord> saved,
                                                   std::optional<QVRError> error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        mainLoop.dispatchMain([lifetime, copy, saved = std::move(saved), error = std::move(error)] {
          if (const auto document = lifetime.lock())
            (*document)->_postCompleted(copy, saved, error);
        });
      });
}

void QVRCKDocument::_postCompleted(const QVRCKRecord& copy, const std::optional<QVRCKRecord>& saved,
                                   const std::optional<QVRError>& error) {
  const bool failed = error || !saved;
  if (failed) {
    const QVRError failure =
        error.value_or(QVRCKErrorWithCode(QVRCKErrorInternalError, "no record and no error"));
    if (QVRCKErrorHasCode(failure, QVRCKErrorUnknownItem)) {
      // The server lost the record: the next upload makes it afresh, with the same fields.
      QVRCKRecord fresh(std::string(QVRCKDocumentRecordType), copy.recordID());
      for (const auto& [key, value] : copy.fields()) fresh.setObject(value, key);
      _record = std::move(fresh);
    }
    QVRLogger::logError(failure, "Posting record " + copy.description());
    setNeedsToPost(true);
  } else {
    _record = *saved;
    _writeRecordFile();
    _noteSync(true);
  }
  _posting = false;
  logInfo("Posted");
  if (failed) _poll();
}

void QVRCKDocument::_noteSync(bool upload) {
  std::error_code error;
  if (!std::filesystem::is_directory(_fileURL, error)) return;
  const auto file = _fileURL / QVRCKSyncStatus::fileName;
  if (!_syncStatus) _syncStatus = QVRCKSyncStatus::read(file);
  const auto now = QVREnvironment::current().runLoop().now();
  (upload ? _syncStatus->lastUpload : _syncStatus->lastPoll) = now;
  static_cast<void>(_syncStatus->write(file, _storage.systemCalls));
}
