#include "cloud/QVRCKStoreFiles.h"

#include "cloud/QVRCKError.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRString.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool isPlain(char character) {
  return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') ||
         (character >= '0' && character <= '9') || character == '_' || character == '-';
}

int hexValue(char character) {
  if (character >= '0' && character <= '9') return character - '0';
  if (character >= 'A' && character <= 'F') return character - 'A' + 10;
  return -1;
}

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" of upper-case hex digits, as QVRString::uuid makes.
bool isUUID(std::string_view text) {
  if (text.size() != 36) return false;
  for (std::size_t index = 0; index < text.size(); ++index) {
    const bool dash = index == 8 || index == 13 || index == 18 || index == 23;
    if (dash ? text[index] != '-' : hexValue(text[index]) < 0) return false;
  }
  return true;
}

QVRError malformed(const std::string& reason) {
  return QVRCKErrorWithCode(QVRCKErrorInternalError, "unreadable record file: " + reason);
}

}  // namespace

std::string QVRCKStoreFiles::escapedName(std::string_view recordName) {
  std::string escaped;
  escaped.reserve(recordName.size());
  for (std::size_t index = 0; index < recordName.size(); ++index) {
    const char character = recordName[index];
    const bool dotAllowed = character == '.' && index > 0 && recordName[index - 1] != '.';
    if (isPlain(character) || dotAllowed) {
      escaped += character;
    } else {
      const auto byte = static_cast<unsigned char>(character);
      escaped += '%';
      escaped += kHexDigits[byte >> 4];
      escaped += kHexDigits[byte & 0xF];
    }
  }
  return escaped;
}

std::optional<std::string> QVRCKStoreFiles::recordNameOfFile(std::string_view fileName) {
  if (!fileName.ends_with(recordSuffix)) return std::nullopt;
  const std::string_view stem = fileName.substr(0, fileName.size() - recordSuffix.size());
  std::string name;
  for (std::size_t index = 0; index < stem.size(); ++index) {
    if (stem[index] != '%') {
      name += stem[index];
      continue;
    }
    if (stem.size() - index < 3) return std::nullopt;
    const int high = hexValue(stem[index + 1]);
    const int low = hexValue(stem[index + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    name += static_cast<char>(high * 16 + low);
    index += 2;
  }
  // One file name per record name: other spellings are not ours.
  if (name.empty() || escapedName(name) != stem) return std::nullopt;
  return name;
}

std::optional<QVRError> QVRCKStoreFiles::checkRecordName(std::string_view recordName) {
  if (recordName.empty() || recordName.size() > maximumRecordNameLength) {
    return QVRCKErrorWithCode(
        QVRCKErrorInvalidArguments,
        "a record name must have 1 to " + std::to_string(maximumRecordNameLength) + " bytes");
  }
  return std::nullopt;
}

std::string QVRCKStoreFiles::recordFileName(std::string_view recordName) {
  return escapedName(recordName).append(recordSuffix);
}

std::string QVRCKStoreFiles::newAssetFileName(std::string_view recordName) {
  return escapedName(recordName).append(".").append(QVRString::uuid()).append(assetSuffix);
}

bool QVRCKStoreFiles::isAssetFileName(std::string_view fileName, std::string_view recordName) {
  const std::string prefix = escapedName(recordName) + ".";
  if (!fileName.starts_with(prefix) || !fileName.ends_with(assetSuffix)) return false;
  if (fileName.size() < prefix.size() + assetSuffix.size()) return false;
  return isUUID(
      fileName.substr(prefix.size(), fileName.size() - prefix.size() - assetSuffix.size()));
}

QVRResult<std::optional<QVRPropertyList::Data>, QVRError> QVRCKStoreFiles::encode(
    const QVRCKRecord& record) {
  return QVRKeyedArchiver::archivedDataWithRootObject(record);
}

QVRResult<std::optional<QVRCKRecord>, QVRError> QVRCKStoreFiles::decode(
    std::span<const std::uint8_t> bytes, std::string_view recordName) {
  if (bytes.size() > maximumRecordFileSize) return {std::nullopt, malformed("too large")};
  auto read = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRCKRecord>(
      bytes, QVRCKRecord::archiveClassNames());
  if (!read.value) {
    return {std::nullopt, malformed(read.error ? read.error->description() : "no record")};
  }
  if (read.value->recordID().recordName() != recordName) {
    return {std::nullopt, malformed("it holds the record " + read.value->recordID().recordName())};
  }
  for (const auto& [key, value] : read.value->fields()) {
    const auto* asset = std::get_if<QVRCKAsset>(&value);
    if (asset && !isAssetFileName(asset->fileURL().string(), recordName)) {
      return {std::nullopt,
              malformed("the field " + key + " names the file " + asset->fileURL().string())};
    }
  }
  return {std::move(read.value), std::nullopt};
}
