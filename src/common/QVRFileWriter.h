#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>

#include "common/QVRError.h"

// Writes files so that a reader sees the old contents or the new ones, never a mix, and a crash
// or power loss keeps one of them: a temporary file beside the target, written whole, synced,
// renamed over the target, then the directory synced. Parent directories are made first.
// Everything that persists goes through here. Failures are answered as errors of the POSIX
// domain (with errno as the code), never raised; a failed write leaves the target as it was and
// no temporary file behind.
class QVRFileWriter {
 public:
  QVRFileWriter() = delete;

  static constexpr std::string_view errorDomain = "NSPOSIXErrorDomain";

  // The operating-system calls used, replaceable to inject failures.
  struct SystemCalls {
    std::function<int(const char* path, int flags, mode_t mode)> open;
    std::function<ssize_t(int descriptor, const void* bytes, std::size_t count)> write;
    std::function<int(int descriptor)> fsync;
    std::function<int(int descriptor)> close;
    std::function<int(const char* from, const char* to)> rename;
    std::function<int(const char* path)> unlink;
  };
  static SystemCalls systemCalls();

  // None on success, else what failed.
  static std::optional<QVRError> writeAtomically(const std::filesystem::path& path,
                                                 std::span<const std::uint8_t> bytes);
  static std::optional<QVRError> writeAtomically(const std::filesystem::path& path,
                                                 std::span<const std::uint8_t> bytes,
                                                 const SystemCalls& calls);

  // Renames a file that could not be read to "NAME.LABEL-20260101T000000Z" (UTC of `now`; "-1",
  // "-2"… added while that name is taken) in its own directory, so that the next save does not
  // overwrite what a user may still want back.
  struct MovedAside {
    std::filesystem::path path;     // where the file went, or would have gone
    std::optional<QVRError> error;  // why the rename failed; none when it worked
  };
  static MovedAside moveAside(const std::filesystem::path& file, std::string_view label,
                              std::chrono::system_clock::time_point now);
};
