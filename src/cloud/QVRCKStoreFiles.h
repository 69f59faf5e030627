#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cloud/QVRCKRecord.h"
#include "common/QVRError.h"
#include "common/QVRPropertyList.h"
#include "common/QVRResult.h"

// The files of a record in a store folder (the directory store's folder, a WebDAV collection):
// "<name>.record", the keyed archive of the record whose asset fields name their files, and one
// "<name>.<UUID>.asset" per asset beside it. Every version of a record gets fresh asset files,
// so a record file never names a file that a later version overwrites.
//
// Names are escaped so that any record name maps to one plain file name in the folder: bytes
// outside [A-Za-z0-9_-] and dots that would start the name or follow another dot become %XX.
class QVRCKStoreFiles {
 public:
  QVRCKStoreFiles() = delete;

  static constexpr std::string_view recordSuffix = ".record";
  static constexpr std::string_view assetSuffix = ".asset";
  // Longer names are refused (QVRCKErrorInvalidArguments): file names have limits.
  static constexpr std::size_t maximumRecordNameLength = 160;
  // Record files are small: their assets hold the bulk.
  static constexpr std::size_t maximumRecordFileSize = std::size_t{1} << 20;

  // The record name as it appears in file names.
  static std::string escapedName(std::string_view recordName);
  // The record name that `fileName` is the record file of; none for other files.
  static std::optional<std::string> recordNameOfFile(std::string_view fileName);
  // None when the store can keep a record of this name, else the error to answer.
  static std::optional<QVRError> checkRecordName(std::string_view recordName);

  static std::string recordFileName(std::string_view recordName);
  // A fresh asset file name of the record.
  static std::string newAssetFileName(std::string_view recordName);
  static bool isAssetFileName(std::string_view fileName, std::string_view recordName);

  // The record file of `record`, whose asset fields must already name their asset files. The
  // change tag is written as it is (the directory store keeps its tags in the file).
  static QVRResult<std::optional<QVRPropertyList::Data>, QVRError> encode(
      const QVRCKRecord& record);
  // Reads a record file of `recordName`: none and why when the bytes are no record of that name
  // or an asset field names anything but an asset file of the record.
  static QVRResult<std::optional<QVRCKRecord>, QVRError> decode(std::span<const std::uint8_t> bytes,
                                                                std::string_view recordName);
};
