#include "common/QVRFileWriter.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <system_error>

namespace {

QVRError posixError(int code, const std::string& action, const std::filesystem::path& path) {
  return QVRError(std::string(QVRFileWriter::errorDomain), code,
                  action + " " + path.string() + ": " + std::strerror(code));
}

// Sixteen hex digits that differ between processes, calls and attempts; the exclusive open
// settles any collision. (std::random_device may raise; getrandom does not.)
std::string randomSuffix(int attempt) {
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    bits = static_cast<std::uint64_t>(now) ^ (static_cast<std::uint64_t>(::getpid()) << 40) ^
           static_cast<std::uint64_t>(attempt);
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string suffix;
  for (int index = 0; index < 16; ++index, bits >>= 4) suffix += kDigits[bits & 0xF];
  return suffix;
}

// Creates the temporary file beside `path`; answers its descriptor or -1 with `errno` set.
int createTemporary(const QVRFileWriter::SystemCalls& calls, const std::filesystem::path& path,
                    std::filesystem::path& temporary) {
  // ".<name>.tmp-<random>", appended piece by piece (g++ 12 warns falsely on the chain of +).
  std::string prefix(".");
  prefix.append(path.filename().string()).append(".tmp-");
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string name = prefix;
    name.append(randomSuffix(attempt));
    temporary = path.parent_path() / name;
    const int descriptor =
        calls.open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0 || errno != EEXIST) return descriptor;
  }
  return -1;
}

}  // namespace

QVRFileWriter::SystemCalls QVRFileWriter::systemCalls() {
  return {
      [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
      [](int descriptor, const void* bytes, std::size_t count) {
        return ::write(descriptor, bytes, count);
      },
      [](int descriptor) { return ::fsync(descriptor); },
      [](int descriptor) { return ::close(descriptor); },
      [](const char* from, const char* to) { return ::rename(from, to); },
      [](const char* path) { return ::unlink(path); },
  };
}

std::optional<QVRError> QVRFileWriter::writeAtomically(const std::filesystem::path& path,
                                                       std::span<const std::uint8_t> bytes) {
  return writeAtomically(path, bytes, systemCalls());
}

std::optional<QVRError> QVRFileWriter::writeAtomically(const std::filesystem::path& path,
                                                       std::span<const std::uint8_t> bytes,
                                                       const SystemCalls& calls) {
  if (path.filename().empty()) return posixError(EISDIR, "Writing", path);
  const std::filesystem::path directory =
      path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
  std::error_code made;
  std::filesystem::create_directories(directory, made);
  if (made) return posixError(made.value(), "Creating directory", directory);

  std::filesystem::path temporary;
  const int descriptor = createTemporary(calls, path, temporary);
  if (descriptor < 0) return posixError(errno, "Creating a temporary file for", path);
  // From here on a failure removes the temporary file.
  const auto abandon = [&](int code, const std::string& action, bool open) {
    if (open) calls.close(descriptor);
    calls.unlink(temporary.c_str());
    return posixError(code, action, path);
  };
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = calls.write(descriptor, bytes.data() + written, bytes.size() - written);
    if (count < 0) {
      if (errno == EINTR) continue;
      return abandon(errno, "Writing", true);
    }
    if (count == 0) return abandon(EIO, "Writing", true);
    written += static_cast<std::size_t>(count);
  }
  if (calls.fsync(descriptor) != 0) return abandon(errno, "Syncing", true);
  if (calls.close(descriptor) != 0) return abandon(errno, "Closing", false);
  if (calls.rename(temporary.c_str(), path.c_str()) != 0) {
    return abandon(errno, "Replacing", false);
  }
  // The new name is in place; syncing the directory makes it last through a power loss. Some
  // file systems cannot sync a directory, and the contents are already written: not an error.
  const int directoryDescriptor =
      calls.open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (directoryDescriptor >= 0) {
    calls.fsync(directoryDescriptor);
    calls.close(directoryDescriptor);
  }
  return std::nullopt;
}

QVRFileWriter::MovedAside QVRFileWriter::moveAside(const std::filesystem::path& file,
                                                   std::string_view label,
                                                   std::chrono::system_clock::time_point now) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char timestamp[32];
  std::strftime(timestamp, sizeof timestamp, "%Y%m%dT%H%M%SZ", &parts);
  std::string stem = file.filename().string();
  stem.append(".").append(label).append("-").append(timestamp);

  MovedAside moved{file.parent_path() / stem, std::nullopt};
  std::error_code probe;
  for (int attempt = 1;
       std::filesystem::exists(std::filesystem::symlink_status(moved.path, probe)) &&
       attempt < 1000;
       ++attempt) {
    moved.path = file.parent_path() / (stem + "-" + std::to_string(attempt));
  }
  std::error_code renamed;
  std::filesystem::rename(file, moved.path, renamed);
  if (renamed) moved.error = QVRError(std::string(errorDomain), renamed.value(), renamed.message());
  return moved;
}
