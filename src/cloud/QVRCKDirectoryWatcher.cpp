#include "cloud/QVRCKDirectoryWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <system_error>

#include "cloud/QVRCKStoreFiles.h"

QVRCKDirectoryWatcher::QVRCKDirectoryWatcher(std::filesystem::path folder, QVRPollRunLoop& runLoop,
                                             Handler handler)
    : _folder(std::move(folder)), _handler(std::move(handler)) {
  _fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (_fd < 0) return;
  // Stores replace record files by rename; file-sync tools may also write them in place.
  if (inotify_add_watch(_fd, _folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
    ::close(_fd);
    _fd = -1;
    return;
  }
  _watch = runLoop.watch(_fd, [this] { readEvents(); });
}

QVRCKDirectoryWatcher::~QVRCKDirectoryWatcher() {
  _watch.cancel();
  if (_fd >= 0) ::close(_fd);
}

void QVRCKDirectoryWatcher::readEvents() {
  alignas(inotify_event) char buffer[16 * 1024];
  std::set<std::string> changed;
  bool overflowed = false;
  while (true) {
    const ssize_t length = ::read(_fd, buffer, sizeof buffer);
    if (length < 0 && errno == EINTR) continue;
    if (length <= 0) break;
    for (std::size_t offset = 0;
         offset + sizeof(inotify_event) <= static_cast<std::size_t>(length);) {
      inotify_event event;
      std::memcpy(&event, buffer + offset, sizeof event);
      const std::size_t nameOffset = offset + sizeof(inotify_event);
      offset = nameOffset + event.len;
      if (offset > static_cast<std::size_t>(length)) break;
      if (event.mask & IN_Q_OVERFLOW) overflowed = true;
      if (event.len == 0) continue;
      // The kernel pads the name with NULs.
      const std::string name(buffer + nameOffset, strnlen(buffer + nameOffset, event.len));
      if (auto recordName = QVRCKStoreFiles::recordNameOfFile(name)) changed.insert(*recordName);
    }
  }
  if (overflowed) {
    reportAll();
    return;
  }
  for (const auto& recordName : changed) _handler(recordName);
}

void QVRCKDirectoryWatcher::reportAll() {
  std::error_code error;
  for (std::filesystem::directory_iterator entry(_folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (auto recordName = QVRCKStoreFiles::recordNameOfFile(entry->path().filename().string())) {
      _handler(*recordName);
    }
  }
}
