#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>

#include "common/QVRError.h"
#include "common/QVRPropertyList.h"
#include "common/QVRResult.h"

// Reads whole files of outside bytes, with a size limit, answering errors of the POSIX domain
// (errno as the code) instead of raising.
class QVRFileReader {
 public:
  QVRFileReader() = delete;

  // Larger than any file the model reads.
  static constexpr std::size_t defaultSizeLimit = std::size_t{64} << 20;

  static QVRResult<std::optional<QVRPropertyList::Data>, QVRError> contentsOfFile(
      const std::filesystem::path& path, std::size_t sizeLimit = defaultSizeLimit);
  // Whether the error says there is no file at the path (ENOENT, or ENOTDIR for a path through
  // a file).
  static bool isMissing(const QVRError& error);
};
