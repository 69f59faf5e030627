#include "cloud/QVRCKDocument.h"

#include "cloud/QVRCKCloudService.h"
#include "cloud/QVRCKContainer.h"
#include "common/QVREnvironment.h"
#include "common/QVRLogger.h"

QVRCKDocument::Storage QVRCKDocument::Storage::standard() {
  QVREnvironment& environment = QVREnvironment::current();
  return {environment.documentsDirectory(), environment.temporaryDirectory(),
          QVRFileWriter::systemCalls()};
}

QVRCKDocument::QVRCKDocument(std::string name, const QVRCKContentsClass& contentsClass)
    : QVRCKDocument(std::move(name), QVRCKContainer::defaultContainer(), contentsClass) {}

QVRCKDocument::QVRCKDocument(std::string name, std::shared_ptr<QVRCKContainer> container,
                             const QVRCKContentsClass& contentsClass, Storage storage)
    : _container(std::move(container)),
      _subscription(std::string(QVRCKDocumentRecordType), "TRUEPREDICATE",
                    std::string(subscriptionIdentifier),
                    QVRCKSubscriptionOptionsFiresOnRecordCreation |
                        QVRCKSubscriptionOptionsFiresOnRecordUpdate),
      _name(std::move(name)),
      _fileURL(storage.documentsDirectory / _name),
      _record(std::string(QVRCKDocumentRecordType), QVRCKRecordID(_name)),
      _contentsClass(contentsClass),
      _storage(std::move(storage)),
      _lifetime(std::make_shared<QVRCKDocument*>(this)) {
  _iCloudDisabled = QVRCKCloudService::shared().iCloudDisabled() || !_database();
  _readDirectory();
  if (_iCloudDisabled) return;
  _poll();
  _remoteObservation = QVREnvironment::current().notificationCenter().addObserver(
      std::string(QVRCKDocumentRemoteNotification), nullptr,
      [this](const QVRNotification& notification) { _pollNotification(notification); });
  _saveSubscription();
}

QVRCKDocument::~QVRCKDocument() {
  _lifetime.reset();
  _pollTimer.invalidate();
  _saveTimer.invalidate();
  _postTimer.invalidate();
  _remoteObservation.reset();
}

void QVRCKDocument::disableiCloud() {
  QVRCKCloudService::shared().disableiCloud();
}

QVRCKDocument::Contents QVRCKDocument::mergeLocalContents(const Contents& local,
                                                          const Contents& server) {
  if (local && server) {
    QVRLogger::logFormat("Failed to merge " + local->description() + " with " +
                         server->description());
  }
  return local ? local : server;
}

void QVRCKDocument::postRemoteNotification(const std::string& recordName) {
  const QVRUserInfo userInfo{
      {std::string(QVRCKDocumentRemoteNotificationRecordNameKey), recordName}};
  QVREnvironment::current().notificationCenter().post(QVRCKDocumentRemoteNotification, &recordName,
                                                      &userInfo);
}

void QVRCKDocument::setContents(Contents contents) {
  if (contents == _contents) return;
  if (contents && _contents && contents->isEqual(*_contents)) return;
  logInfo("Modified Contents");
  _contents = std::move(contents);
  contentsDidChange();
  setNeedsToSave(true);
}

void QVRCKDocument::setNeedsToSave(bool needsToSave) {
  if (needsToSave == _needsToSave) return;
  _needsToSave = needsToSave;
  if (needsToSave && !_saveTimer.isValid()) {
    _saveTimer = QVRTimer::scheduledTimerAndTerminateWithTimeInterval(saveDelay,
                                                                      [this] { _saveIfNeeded(); });
    setNeedsToPost(true);
  }
}

void QVRCKDocument::setNeedsToPost(bool needsToPost) {
  if (needsToPost == _needsToPost) return;
  _needsToPost = needsToPost;
  if (needsToPost) {
    if (!_iCloudDisabled && !_postTimer.isValid()) {
      _postTimer = QVRTimer::scheduledTimerAndTerminateWithTimeInterval(
          postDelay, [this] { _postIfNeeded(); });
    }
  } else {
    _postTimer.invalidate();
  }
}

void QVRCKDocument::logInfo(std::string_view message) const {
  if (QVRLoggingEnabled()) QVRLogger::logFormat("<" + _name + ">:" + std::string(message));
}
