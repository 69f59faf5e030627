#include "common/QVRNotificationCenter.h"

#include <algorithm>
#include <atomic>

struct QVRNotificationCenter::Observation::Entry {
  std::string name;
  const void* object;
  Block block;
  std::atomic<bool> active{true};
};

QVRNotificationCenter::Observation& QVRNotificationCenter::Observation::operator=(
    Observation&& other) noexcept {
  if (this != &other) {
    reset();
    _entry = std::move(other._entry);
  }
  return *this;
}

QVRNotificationCenter::Observation::~Observation() {
  reset();
}

void QVRNotificationCenter::Observation::reset() {
  if (_entry) {
    _entry->active = false;
    _entry.reset();
  }
}

bool QVRNotificationCenter::Observation::isActive() const {
  return _entry && _entry->active;
}

QVRNotificationCenter::Observation QVRNotificationCenter::addObserver(std::string name,
                                                                      const void* object,
                                                                      Block block) {
  auto entry = std::make_shared<Observation::Entry>();
  entry->name = std::move(name);
  entry->object = object;
  entry->block = std::move(block);
  std::lock_guard lock(_mutex);
  std::erase_if(_entries, [](const auto& weak) { return weak.expired(); });
  _entries.push_back(entry);
  return Observation(std::move(entry));
}

void QVRNotificationCenter::post(std::string_view name, const void* object,
                                 const QVRUserInfo* userInfo) {
  // Take the matching observers first, so that blocks may change the observations freely.
  std::vector<std::shared_ptr<Observation::Entry>> matching;
  {
    std::lock_guard lock(_mutex);
    for (const auto& weak : _entries) {
      auto entry = weak.lock();
      if (!entry || !entry->active) continue;
      if (!entry->name.empty() && entry->name != name) continue;
      if (entry->object && entry->object != object) continue;
      matching.push_back(std::move(entry));
    }
  }
  const QVRNotification notification{name, object, userInfo};
  for (const auto& entry : matching) {
    if (entry->active) entry->block(notification);
  }
}
