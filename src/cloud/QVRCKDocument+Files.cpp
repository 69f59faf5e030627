#include <cerrno>
#include <system_error>

#include "cloud/QVRCKDocument.h"
#include "common/QVRData.h"
#include "common/QVREnvironment.h"
#include "common/QVRException.h"
#include "common/QVRFileReader.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRLogger.h"
#include "common/QVRRunLoop.h"

namespace {

// What the platform's unarchiver raises on bytes that are no archive of the expected shape.
constexpr std::string_view kInvalidArchive = "NSInvalidArchiveOperationException";

void raiseIfFailed(const QVRKeyedUnarchiver& unarchiver) {
  if (const auto& error = unarchiver.error()) {
    throw QVRException(std::string(kInvalidArchive), error->description());
  }
}

// The record's checksum as the document compares it: the low 32 bits of an integer; 0 when
// missing or of another kind.
std::uint32_t checksumOf(const QVRCKRecord& record) {
  const QVRPropertyList* value = record.propertyListForKey(QVRCKDocumentCheckumKey);
  const std::int64_t* integer = value ? value->integer() : nullptr;
  return integer ? static_cast<std::uint32_t>(static_cast<std::uint64_t>(*integer)) : 0;
}

}  // namespace

void QVRCKDocument::_readDirectory() {
  const std::filesystem::path contentsFile = contentsURL();
  std::error_code probe;
  if (!std::filesystem::exists(std::filesystem::symlink_status(contentsFile, probe))) return;
  _directoryExists = true;
  auto bytes = QVRFileReader::contentsOfFile(contentsFile, QVRCKAsset::maximumFileSize);
  if (!bytes.value) {
    if (bytes.error) QVRLogger::logError(*bytes.error, "Reading file for " + _fileURL.string());
    // A file too large to read is kept aside like an unreadable one rather than overwritten by
    // the next save.
    if (bytes.error && bytes.error->code() == EFBIG) _keepAside(contentsFile);
    return;
  }
  _contentsChecksum = QVRData::crc32(*bytes.value);
  const std::string failure = "Decoding record for QVRCKDocument " + _fileURL.string();
  try {
    _contents = _decodeArchive(*bytes.value, true).contents;
  } catch (const QVRException& exception) {
    // Without the contents the record says nothing: the server's copy is taken at the first
    // poll. The unreadable bytes are kept for the user, never overwritten by the next save.
    QVRLogger::logException(exception, failure);
    _keepAside(contentsFile);
    return;
  }
  std::optional<QVRCKRecord> record;
  try {
    record = _readRecordFile();
  } catch (const QVRException& exception) {
    // Read as a missing record: the contents then count as not uploaded, and are merged with
    // the server's rather than replaced by them.
    QVRLogger::logException(exception, failure);
    _keepAside(recordURL());
  }
  if (record) _record = std::move(*record);
  if (_contentsChecksum != (record ? checksumOf(_record) : 0)) setNeedsToPost(true);
}

QVRCKDocument::DecodedArchive QVRCKDocument::_decodeArchive(std::span<const std::uint8_t> bytes,
                                                            bool contentsOfAnyVersion) const {
  QVRKeyedUnarchiver unarchiver(bytes, _contentsClass.allowedClassNames());
  raiseIfFailed(unarchiver);
  DecodedArchive decoded;
  decoded.version = unarchiver.decodeIntegerForKey(QVRCKDocumentVersionKey);
  raiseIfFailed(unarchiver);
  if (!contentsOfAnyVersion && decoded.version > documentVersion) return decoded;
  decoded.contents =
      _contentsClass.decodeContents(unarchiver.valueForKey(QVRCKDocumentContentsKey));
  raiseIfFailed(unarchiver);
  return decoded;
}

std::optional<QVRCKRecord> QVRCKDocument::_readRecordFile() const {
  auto read = QVRKeyedUnarchiver::unarchiveObjectWithFile<QVRCKRecord>(
      recordURL(), QVRCKRecord::archiveClassNames());
  if (read.error) throw QVRException(std::string(kInvalidArchive), read.error->description());
  if (read.value && (read.value->recordID().recordName() != _name ||
                     read.value->recordType() != QVRCKDocumentRecordType)) {
    throw QVRException(std::string(kInvalidArchive),
                       "the record file holds " + read.value->description());
  }
  return std::move(read.value);
}

void QVRCKDocument::_writeRecordFile() {
  auto data = QVRKeyedArchiver::archivedDataWithRootObject(_record);
  std::optional<QVRError> failure = std::move(data.error);
  if (data.value)
    failure = QVRFileWriter::writeAtomically(recordURL(), *data.value, _storage.systemCalls);
  if (failure) {
    // The older record file stays: it promises no more than the contents file holds.
    QVRLogger::logError(*failure, "Archiving to " + recordURL().string());
    _recordFileIsBehind = true;
    return;
  }
  _recordFileIsBehind = false;
}

void QVRCKDocument::_keepAside(const std::filesystem::path& file) const {
  const auto moved =
      QVRFileWriter::moveAside(file, "unreadable", QVREnvironment::current().runLoop().now());
  const std::string description =
      "Moving unreadable file " + file.string() + " aside to " + moved.path.string();
  if (moved.error) {
    QVRLogger::logError(*moved.error, description);
  } else {
    QVRLogger::logFormat(description);
  }
}

bool QVRCKDocument::_makeDirectory() {
  if (_directoryExists) return true;
  std::error_code made;
  std::filesystem::create_directories(_fileURL, made);
  _directoryExists = !made;
  return _directoryExists;
}

void QVRCKDocument::_saveIfNeeded() {
  if (!_needsToSave || !_contents) return;
  logInfo("Saving");
  _makeDirectory();
  QVRKeyedArchiver archiver;
  _contents->encodeWithCoder(archiver, QVRCKDocumentContentsKey);
  archiver.encodeInteger(QVRCKDocumentVersionKey, documentVersion);
  auto data = std::move(archiver).finishedData();
  std::optional<QVRError> failure = std::move(data.error);
  if (data.value) {
    failure = QVRFileWriter::writeAtomically(contentsURL(), *data.value, _storage.systemCalls);
  }
  if (failure || !data.value) {
    // The flag and the timer stay: the save is tried again in 10 seconds.
    QVRLogger::logError(failure.value_or(QVRError(std::string(QVRFileWriter::errorDomain), 0)),
                        "Saving contents to " + contentsURL().string());
    return;
  }
  _needsToSave = false;
  _contentsChecksum = QVRData::crc32(*data.value);
  _saveTimer.invalidate();
  if (_recordFileIsBehind) _writeRecordFile();
  _postIfNeeded();
}
