#include "cloud/QVRCKDirectoryDatabase.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <system_error>

#include "cloud/QVRCKAsset.h"
#include "cloud/QVRCKDirectoryWatcher.h"
#include "cloud/QVRCKError.h"
#include "cloud/QVRCKStoreFiles.h"
#include "cloud/QVRCKWorkQueue.h"
#include "common/QVREnvironment.h"
#include "common/QVRFileReader.h"
#include "common/QVRFileWriter.h"
#include "common/QVRString.h"

namespace {

// The cloud error for a failed file operation: a full disk is the quota; anything else may pass.
QVRError fileError(int code, const std::string& what) {
  const std::int64_t cloudCode =
      code == ENOSPC || code == EDQUOT ? QVRCKErrorQuotaExceeded : QVRCKErrorServiceUnavailable;
  return QVRCKErrorWithCode(cloudCode, what + ": " + std::strerror(code));
}

QVRError fileError(const QVRError& error, const std::string& what) {
  const std::int64_t code = error.code();
  return QVRCKErrorWithCode(
      code == ENOSPC || code == EDQUOT ? QVRCKErrorQuotaExceeded : QVRCKErrorServiceUnavailable,
      what + ": " + error.localizedDescription());
}

// An flock(2) of the store's lock file, held while it lives.
class FolderLock {
 public:
  FolderLock(const std::filesystem::path& folder, bool exclusive) {
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    const auto path = folder / QVRCKDirectoryDatabase::lockFileName;
    _fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (_fd < 0) {
      _error = fileError(errno, "Opening " + path.string());
      return;
    }
    while (::flock(_fd, exclusive ? LOCK_EX : LOCK_SH) != 0) {
      if (errno == EINTR) continue;
      _error = fileError(errno, "Locking " + path.string());
      return;
    }
  }
  ~FolderLock() {
    if (_fd >= 0) ::close(_fd);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  const std::optional<QVRError>& error() const { return _error; }

 private:
  int _fd = -1;
  std::optional<QVRError> _error;
};

QVRError cancelled() {
  return QVRCKErrorWithCode(QVRCKErrorOperationCancelled, "the store went away");
}

}  // namespace

QVRCKDirectoryDatabase::QVRCKDirectoryDatabase(std::filesystem::path folder, Options options)
    : _folder(std::move(folder)),
      _options(std::move(options)),
      _queue(std::make_unique<QVRCKWorkQueue>()) {
  const auto answers = _options.answerDirectory.empty()
                           ? QVREnvironment::current().temporaryDirectory()
                           : _options.answerDirectory;
  _answerFolder = answers / ("store-answers-" + QVRString::uuid());
  if (_options.pushLoop) {
    std::error_code made;
    std::filesystem::create_directories(_folder, made);
    _watcher = std::make_unique<QVRCKDirectoryWatcher>(
        _folder, *_options.pushLoop,
        [this](const std::string& recordName) { recordFileChanged(recordName); });
  }
}

QVRCKDirectoryDatabase::~QVRCKDirectoryDatabase() {
  _watcher.reset();
  _queue.reset();
  std::error_code ignored;
  std::filesystem::remove_all(_answerFolder, ignored);
}

std::size_t QVRCKDirectoryDatabase::pendingCount() const {
  return _queue->pendingCount();
}

void QVRCKDirectoryDatabase::waitUntilIdle() const {
  _queue->waitUntilIdle();
}

bool QVRCKDirectoryDatabase::isWatching() const {
  return _watcher && _watcher->isWatching();
}

void QVRCKDirectoryDatabase::fetchRecordWithID(const QVRCKRecordID& recordID,
                                               RecordCompletion completion) {
  _queue->asyncAnswer([this, name = recordID.recordName()] { return fetchNow(name); },
                      std::move(completion), cancelled());
}

void QVRCKDirectoryDatabase::saveRecord(const QVRCKRecord& record, RecordCompletion completion) {
  _queue->asyncAnswer([this, record] { return saveNow(record); }, std::move(completion),
                      cancelled());
}

void QVRCKDirectoryDatabase::saveSubscription(const QVRCKSubscription&,
                                              SubscriptionCompletion completion) {
  auto shared = std::make_shared<SubscriptionCompletion>(std::move(completion));
  _queue->async(
      [this, shared] {
        {
          std::lock_guard lock(_mutex);
          _subscribed = true;
        }
        (*shared)(std::nullopt);
      },
      [shared] { (*shared)(cancelled()); });
}

std::optional<QVRCKRecord> QVRCKDirectoryDatabase::readRecord(const std::string& recordName,
                                                              std::string* unreadable) {
  const auto path = _folder / QVRCKStoreFiles::recordFileName(recordName);
  auto bytes = QVRFileReader::contentsOfFile(path, QVRCKStoreFiles::maximumRecordFileSize);
  if (!bytes.value) {
    if (bytes.error && !QVRFileReader::isMissing(*bytes.error)) {
      *unreadable = bytes.error->localizedDescription();
    }
    return std::nullopt;
  }
  auto decoded = QVRCKStoreFiles::decode(*bytes.value, recordName);
  if (!decoded.value) {
    *unreadable = decoded.error ? decoded.error->localizedDescription() : "unreadable";
    return std::nullopt;
  }
  if (!decoded.value->recordChangeTag()) {
    *unreadable = "unreadable record file: no change tag";
    return std::nullopt;
  }
  return std::move(decoded.value);
}

QVRCKDirectoryDatabase::Answer QVRCKDirectoryDatabase::fetchNow(const std::string& recordName) {
  if (auto refused = QVRCKStoreFiles::checkRecordName(recordName)) return {std::nullopt, refused};
  FolderLock lock(_folder, false);
  if (lock.error()) return {std::nullopt, lock.error()};
  std::string unreadable;
  auto stored = readRecord(recordName, &unreadable);
  if (!stored) {
    return {std::nullopt, QVRCKErrorWithCode(QVRCKErrorUnknownItem,
                                             unreadable.empty() ? "no record " + recordName
                                                                : recordName + ": " + unreadable)};
  }
  QVRCKRecord answer = *stored;
  for (const auto& [key, value] : stored->fields()) {
    const auto* asset = std::get_if<QVRCKAsset>(&value);
    if (!asset) continue;
    QVRError error = cancelled();
    auto file = answerFile(*stored, key, asset->fileURL().string(), &error);
    if (!file) return {std::nullopt, error};
    answer.setObject(QVRCKAsset(*file), key);
  }
  return {std::move(answer), std::nullopt};
}

std::optional<std::filesystem::path> QVRCKDirectoryDatabase::answerFile(
    const QVRCKRecord& stored, const std::string& key, const std::string& assetName,
    QVRError* error) {
  const std::string cacheKey =
      stored.recordID().recordName() + '\n' + stored.recordChangeTag().value_or("") + '\n' + key;
  if (const auto found = _answers.find(cacheKey); found != _answers.end()) return found->second;
  auto bytes = QVRFileReader::contentsOfFile(_folder / assetName, QVRCKAsset::maximumFileSize);
  if (!bytes.value) {
    // A file-sync tool may bring the record before its assets: the next poll finds them.
    *error = QVRCKErrorWithCode(
        QVRCKErrorServiceUnavailable,
        "the asset " + assetName + " of " + stored.recordID().recordName() + " cannot be read" +
            (bytes.error ? ": " + bytes.error->localizedDescription() : ""));
    return std::nullopt;
  }
  const auto path = _answerFolder / QVRString::uuid();
  if (auto failure = QVRFileWriter::writeAtomically(path, *bytes.value)) {
    *error = fileError(*failure, "Writing " + path.string());
    return std::nullopt;
  }
  _answers.emplace(cacheKey, path);
  return path;
}

QVRCKDirectoryDatabase::Answer QVRCKDirectoryDatabase::saveNow(const QVRCKRecord& record) {
  const std::string& name = record.recordID().recordName();
  if (auto refused = QVRCKStoreFiles::checkRecordName(name)) return {std::nullopt, refused};
  FolderLock lock(_folder, true);
  if (lock.error()) return {std::nullopt, lock.error()};

  const auto recordPath = _folder / QVRCKStoreFiles::recordFileName(name);
  std::string unreadable;
  std::optional<QVRCKRecord> current = readRecord(name, &unreadable);
  if (!unreadable.empty()) {
    // Kept for whoever wants to look at it; the store goes on as if there were no record.
    std::error_code ignored;
    std::filesystem::rename(recordPath, recordPath.string() + ".unreadable-" + QVRString::uuid(),
                            ignored);
  }
  const auto& tag = record.recordChangeTag();
  if (!current && tag)
    return {std::nullopt, QVRCKErrorWithCode(QVRCKErrorUnknownItem, "no record " + name)};
  if (current && (!tag || *tag != current->recordChangeTag())) {
    return {std::nullopt,
            QVRCKErrorWithCode(QVRCKErrorServerRecordChanged, "record " + name + " changed")};
  }

  // The assets first, under fresh names: the record file that names them comes last.
  QVRCKRecord stored = record;
  std::vector<std::filesystem::path> written;
  const auto abandon = [&](QVRError error) -> Answer {
    std::error_code ignored;
    for (const auto& path : written) std::filesystem::remove(path, ignored);
    return {std::nullopt, std::move(error)};
  };
  for (const auto& [key, value] : record.fields()) {
    const auto* asset = std::get_if<QVRCKAsset>(&value);
    if (!asset) continue;
    auto bytes = QVRFileReader::contentsOfFile(asset->fileURL(), QVRCKAsset::maximumFileSize);
    if (!bytes.value) {
      return abandon(QVRCKErrorWithCode(QVRCKErrorAssetFileNotFound,
                                        "cannot read " + asset->fileURL().string()));
    }
    const std::string assetName = QVRCKStoreFiles::newAssetFileName(name);
    if (auto failure = QVRFileWriter::writeAtomically(_folder / assetName, *bytes.value)) {
      return abandon(fileError(*failure, "Writing " + assetName));
    }
    written.push_back(_folder / assetName);
    stored.setObject(QVRCKAsset(assetName), key);
  }
  const std::string newTag = QVRString::uuid();
  stored.setRecordChangeTag(newTag);
  auto bytes = QVRCKStoreFiles::encode(stored);
  if (!bytes.value) {
    return abandon(QVRCKErrorWithCode(
        QVRCKErrorInternalError, bytes.error ? bytes.error->localizedDescription() : "archive"));
  }
  {
    // Before the rename: the watcher may see the new file at once.
    std::lock_guard guard(_mutex);
    _ownTags.insert_or_assign(name, newTag);
  }
  if (auto failure = QVRFileWriter::writeAtomically(recordPath, *bytes.value)) {
    return abandon(fileError(*failure, "Writing " + recordPath.filename().string()));
  }
  removeUnusedAssets(stored, current);
  QVRCKRecord saved = record;
  saved.setRecordChangeTag(newTag);
  return {std::move(saved), std::nullopt};
}

void QVRCKDirectoryDatabase::removeUnusedAssets(const QVRCKRecord& current,
                                                const std::optional<QVRCKRecord>& previous) {
  std::set<std::string> used;
  for (const QVRCKRecord* record : {&current, previous ? &*previous : nullptr}) {
    if (!record) continue;
    for (const auto& [key, value] : record->fields()) {
      if (const auto* asset = std::get_if<QVRCKAsset>(&value))
        used.insert(asset->fileURL().string());
    }
  }
  const std::string& name = current.recordID().recordName();
  const auto now = std::filesystem::file_time_type::clock::now();
  std::error_code error;
  for (std::filesystem::directory_iterator entry(_folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string fileName = entry->path().filename().string();
    if (!QVRCKStoreFiles::isAssetFileName(fileName, name) || used.contains(fileName)) continue;
    std::error_code ignored;
    const auto modified = std::filesystem::last_write_time(entry->path(), ignored);
    if (ignored || now - modified < assetGracePeriod) continue;
    std::filesystem::remove(entry->path(), ignored);
  }
}

void QVRCKDirectoryDatabase::recordFileChanged(const std::string& recordName) {
  {
    std::lock_guard lock(_mutex);
    if (!_subscribed || !_options.pushHandler) return;
    // Our own writes need no push: the document that saved already has the record.
    const auto own = _ownTags.find(recordName);
    if (own != _ownTags.end()) {
      std::string unreadable;
      const auto stored = readRecord(recordName, &unreadable);
      if (stored && stored->recordChangeTag() == own->second) return;
    }
  }
  _options.pushHandler(recordName);
}
