#include "common/QVRFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "common/QVRFileWriter.h"
#include "common/QVRMemory.h"

namespace {

using Contents = QVRResult<std::optional<QVRPropertyList::Data>, QVRError>;

Contents failure(int code, const std::filesystem::path& path) {
  return {std::nullopt, QVRError(std::string(QVRFileWriter::errorDomain), code,
                                 "Reading " + path.string() + ": " + std::strerror(code))};
}

class Descriptor {
 public:
  explicit Descriptor(int descriptor) : _descriptor(descriptor) {}
  ~Descriptor() {
    if (_descriptor >= 0) ::close(_descriptor);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return _descriptor; }

 private:
  int _descriptor;
};

}  // namespace

Contents QVRFileReader::contentsOfFile(const std::filesystem::path& path, std::size_t sizeLimit) {
  // Non-blocking, so that a FIFO in the file's place cannot hang the program.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) return failure(errno, path);
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return failure(errno, path);
  if (S_ISDIR(status.st_mode)) return failure(EISDIR, path);
  if (!S_ISREG(status.st_mode)) return failure(EINVAL, path);
  if (static_cast<std::uintmax_t>(status.st_size) > sizeLimit) return failure(EFBIG, path);
  // Read straight into the result, one byte more than the size so that a file that grew since
  // is noticed and read on.
  QVRPropertyList::Data bytes;
  bytes.reserve(static_cast<std::size_t>(status.st_size) + 1);
  QVRMemory::adviseLargePages(bytes.data(), bytes.capacity());
  bytes.resize(bytes.capacity());
  std::size_t length = 0;
  for (;;) {
    if (length == bytes.size()) bytes.resize(bytes.size() + bytes.size() / 2 + 65536);
    const ssize_t count = ::read(file.get(), bytes.data() + length, bytes.size() - length);
    if (count < 0) {
      if (errno == EINTR) continue;
      return failure(errno, path);
    }
    if (count == 0) break;
    length += static_cast<std::size_t>(count);
    if (length > sizeLimit) return failure(EFBIG, path);
  }
  bytes.resize(length);
  return {std::move(bytes), std::nullopt};
}

bool QVRFileReader::isMissing(const QVRError& error) {
  return error.domain() == QVRFileWriter::errorDomain &&
         (error.code() == ENOENT || error.code() == ENOTDIR);
}
