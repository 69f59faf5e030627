#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cloud/QVRCKContents.h"
#include "cloud/QVRCKContentsClass.h"
#include "cloud/QVRCKRecord.h"
#include "cloud/QVRCKSubscription.h"
#include "cloud/QVRCKSyncStatus.h"
#include "common/QVRError.h"
#include "common/QVRFileWriter.h"
#include "common/QVRNotificationCenter.h"
#include "common/QVRTimer.h"

class QVRCKContainer;
class QVRCKDatabase;

inline constexpr std::string_view QVRCKDocumentRecordType = "QVRCKDocument";
inline constexpr std::string_view QVRCKDocumentContentsKey = "contents";
inline constexpr std::string_view QVRCKDocumentVersionKey = "version";
// Spelled "Checkum": the exported name is kept as it always was.
inline constexpr std::string_view QVRCKDocumentCheckumKey = "checksum";
// Posted (object: the document) after contents came from the server.
inline constexpr std::string_view QVRCKDocumentChangedExternally = "QVRCKDocumentChangedExternally";
// Posted by the application when a push of the cloud subscription arrives; the name of the
// changed record is in the user info under QVRCKDocumentRemoteNotificationRecordNameKey (see
// QVRCKDocument::postRemoteNotification).
inline constexpr std::string_view QVRCKDocumentRemoteNotification =
    "QVRCKDocumentRemoteNotification";
inline constexpr std::string_view QVRCKDocumentRemoteNotificationRecordNameKey = "recordName";

// A document kept both in a local directory and in one record of the user's private cloud
// database. Its contents (a QVRCKContents of the subclass's kind) are saved to the directory 10
// seconds after a change, uploaded 120 seconds after they need to be (and right after each
// save), and kept up to date by polling the record every 300 seconds (60 when the push
// subscription failed) and on pushes. A server change reloads the contents when nothing local
// waits for upload, and is merged with the local contents (the document class's merge)
// otherwise.
//
// The directory (documents directory + name) holds "contents", a keyed archive with the contents
// under "contents" and 1 under "version", and "record", the archive of the last known record.
// After each poll that got the server's answer and each accepted upload, "syncStatus" notes the
// time (QVRCKSyncStatus). Every file is written atomically (QVRFileWriter), so a crash leaves the
// old file or the new one. The record file is written only once the contents file holds everything
// the record's server version holds, so that a restart never takes a newer change tag for contents
// it lacks; and an upload goes out only when the contents file holds the current contents (a failed
// save holds it back), so that newer contents are never taken for uploaded. Unreadable files are
// logged and moved aside ("contents.unreadable-<time>"), never overwritten.
//
// Everything runs on the main thread; cloud completions are handed to it (dispatchMain) and find
// nothing to do when the document has gone meanwhile.
//
// There is no push service on this platform, so nothing registers for pushes; a program that
// receives them posts QVRCKDocumentRemoteNotification itself.
class QVRCKDocument {
 public:
  using Contents = QVRCKContentsClass::Contents;

  // The format version written, and the newest one read.
  static constexpr std::int64_t documentVersion = 1;
  static constexpr QVRTimer::Interval saveDelay{10.0};
  static constexpr QVRTimer::Interval postDelay{120.0};
  static constexpr QVRTimer::Interval pollInterval{300.0};
  // After saving the push subscription failed.
  static constexpr QVRTimer::Interval fastPollInterval{60.0};
  static constexpr double pollToleranceFraction = 0.25;
  static constexpr std::string_view subscriptionIdentifier =
      "com.qvr.Tallix.QVRCKDocument.subscription";

  // Where a document keeps its files and how it writes them: the environment's directories and
  // the real system calls, or a test's (several devices in one process, injected failures).
  struct Storage {
    std::filesystem::path documentsDirectory;
    std::filesystem::path temporaryDirectory;
    QVRFileWriter::SystemCalls systemCalls;

    static Storage standard();
  };

  // There is no document without a name: the class has no default constructor.
  // With the default container.
  QVRCKDocument(std::string name, const QVRCKContentsClass& contentsClass);
  // Reads the directory, then (unless cloud-disabled) polls, observes pushes and saves the push
  // subscription. A container without a database makes a cloud-disabled document.
  QVRCKDocument(std::string name, std::shared_ptr<QVRCKContainer> container,
                const QVRCKContentsClass& contentsClass, Storage storage = Storage::standard());
  virtual ~QVRCKDocument();
  // Identity object: timers, observations and cloud completions refer to it.
  QVRCKDocument(const QVRCKDocument&) = delete;
  QVRCKDocument& operator=(const QVRCKDocument&) = delete;

  // Documents made afterwards (in this environment) never talk to the cloud.
  static void disableiCloud();
  // The base merge: the local contents when there are any, else the server's; logs
  // "Failed to merge %@ with %@" when both are there. Document classes have their own.
  static Contents mergeLocalContents(const Contents& local, const Contents& server);
  // What the application does when a push for `recordName` arrives.
  static void postRemoteNotification(const std::string& recordName);

  const std::string& name() const { return _name; }
  const std::filesystem::path& fileURL() const { return _fileURL; }
  std::filesystem::path contentsURL() const { return _fileURL / "contents"; }
  std::filesystem::path recordURL() const { return _fileURL / "record"; }
  const QVRCKRecord& record() const { return _record; }

  const Contents& contents() const { return _contents; }
  // Does nothing for the same or equal contents; else keeps them (no copy), announces them
  // (contentsDidChange) and schedules the save.
  void setContents(Contents contents);

  bool needsToSave() const { return _needsToSave; }
  void setNeedsToSave(bool needsToSave);
  bool needsToPost() const { return _needsToPost; }
  void setNeedsToPost(bool needsToPost);

  // Whether a fetch of the record, or an upload, is under way.
  bool isPolling() const { return _polling; }
  bool isPosting() const { return _posting; }

  // Whether the document no longer talks to the cloud (for good, while it lives).
  bool isICloudDisabled() const { return _iCloudDisabled; }
  // The repeating poll timer; invalid while there is none.
  const QVRTimer& pollTimer() const { return _pollTimer; }

  // "<name>:message" through the logger, when verbose logging is on.
  void logInfo(std::string_view message) const;

 protected:
  // Called after every change of the contents, local or from the server.
  virtual void contentsDidChange() {}

 private:
  struct DecodedArchive {
    std::int64_t version = 0;
    Contents contents;
  };

  // Files.
  void _readDirectory();
  DecodedArchive _decodeArchive(std::span<const std::uint8_t> bytes,
                                bool contentsOfAnyVersion) const;
  std::optional<QVRCKRecord> _readRecordFile() const;
  void _writeRecordFile();
  void _keepAside(const std::filesystem::path& file) const;
  bool _makeDirectory();
  void _saveIfNeeded();

  // Cloud.
  QVRCKDatabase* _database() const;
  void _saveSubscription();
  void _subscriptionSaved(const std::optional<QVRError>& error);
  void _poll();
  void _pollCompleted(const QVRCKRecord& kept, const std::optional<QVRCKRecord>& fetched,
                      const std::optional<QVRError>& error);
  // False when the server's file is of a newer version (the poll stops there).
  bool _takeFetchedRecord(const QVRCKRecord& fetched);
  void _pollNotification(const QVRNotification& notification);
  void _resetPollTimer();
  void _postIfNeeded();
  void _postCompleted(const QVRCKRecord& copy, const std::optional<QVRCKRecord>& saved,
                      const std::optional<QVRError>& error);
  // Notes a poll that got the server's answer, or an accepted upload, in the status file (when
  // the directory exists; the status is advisory, so a failed write is not retried).
  void _noteSync(bool upload);

  std::shared_ptr<QVRCKContainer> _container;
  std::uint32_t _contentsChecksum = 0;
  QVRTimer _pollTimer;
  bool _pollFast = false;
  bool _polling = false;
  QVRTimer _postTimer;
  bool _posting = false;
  QVRTimer _saveTimer;
  bool _directoryExists = false;
  bool _iCloudDisabled = false;
  QVRCKSubscription _subscription;
  bool _needsToPost = false;
  bool _needsToSave = false;
  std::string _name;
  std::filesystem::path _fileURL;
  Contents _contents;
  QVRCKRecord _record;

  const QVRCKContentsClass& _contentsClass;
  Storage _storage;
  // _record is newer than the record file, which waits for the contents file to catch up.
  bool _recordFileIsBehind = false;
  // Read from the status file on first use.
  std::optional<QVRCKSyncStatus> _syncStatus;
  QVRNotificationCenter::Observation _remoteObservation;
  // Cloud completions hold it weakly: gone with the document.
  std::shared_ptr<QVRCKDocument*> _lifetime;
};
