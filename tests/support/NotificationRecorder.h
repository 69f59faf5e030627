#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/QVRNotificationCenter.h"

// Records the notifications of one name (about one object, or any) while it lives, with what
// `snapshot` saw at each post (the state an observer would find).
class NotificationRecorder {
 public:
  struct Record {
    const void* object;
    bool hasUserInfo;
    std::string snapshot;
  };

  NotificationRecorder(QVRNotificationCenter& center, std::string name,
                       const void* object = nullptr,
                       std::function<std::string()> snapshot = nullptr)
      : _observation(center.addObserver(
            std::move(name), object, [this, snapshot](const QVRNotification& notification) {
              _records.push_back({notification.object, notification.userInfo != nullptr,
                                  snapshot ? snapshot() : std::string()});
            })) {}
  NotificationRecorder(const NotificationRecorder&) = delete;
  NotificationRecorder& operator=(const NotificationRecorder&) = delete;

  std::size_t count() const { return _records.size(); }
  const std::vector<Record>& records() const { return _records; }

 private:
  std::vector<Record> _records;
  QVRNotificationCenter::Observation _observation;
};
