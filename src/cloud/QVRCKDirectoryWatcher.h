#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "common/QVRPollRunLoop.h"

// Watches a store folder with inotify on the poll run loop and calls the handler, on the loop's
// thread, with the name of each record whose file was replaced or written there (by any
// process). When the kernel's queue overflowed, every record named in the folder is reported.
class QVRCKDirectoryWatcher {
 public:
  using Handler = std::function<void(const std::string& recordName)>;

  // Watches nothing (isWatching() is false) when inotify or the folder is not available.
  QVRCKDirectoryWatcher(std::filesystem::path folder, QVRPollRunLoop& runLoop, Handler handler);
  ~QVRCKDirectoryWatcher();
  // Identity object: the run loop calls back into it.
  QVRCKDirectoryWatcher(const QVRCKDirectoryWatcher&) = delete;
  QVRCKDirectoryWatcher& operator=(const QVRCKDirectoryWatcher&) = delete;

  bool isWatching() const { return _watch.isActive(); }

 private:
  void readEvents();
  void reportAll();

  std::filesystem::path _folder;
  Handler _handler;
  int _fd = -1;
  QVRPollRunLoop::Watch _watch;
};
