#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;

// A file attached to a record: the bytes of the file at `fileURL`. A store reads the file when
// the record is saved, and answers fetched records with assets whose files it made. A value.
class QVRCKAsset {
 public:
  explicit QVRCKAsset(std::filesystem::path fileURL) : _fileURL(std::move(fileURL)) {}

  const std::filesystem::path& fileURL() const { return _fileURL; }

  // The largest file read as an asset or as a document's contents. A tape of a million short
  // calculations ("1234 + 5 × 7 =") takes about 530 MB; this leaves room for calculations twice
  // as long, and a larger file is refused by its size before any of it is read.
  static constexpr std::size_t maximumFileSize = std::size_t{1} << 30;

  // "<CKAsset fileURL=/path>", for log lines.
  std::string description() const;

  // Archived as the platform's asset class, with the path under "fileURL".
  static std::string_view archiveClassName() { return "CKAsset"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const;
  static std::optional<QVRCKAsset> initWithCoder(QVRKeyedUnarchiver& coder);

  friend bool operator==(const QVRCKAsset&, const QVRCKAsset&) = default;

 private:
  std::filesystem::path _fileURL;
};
