#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRNotification.h"

// The notification centre: observers are called synchronously, in the order they were added, on
// the thread that posts (the main thread). An observation lasts as long as the token that
// addObserver returns; observers may add and remove observations while a post runs.
class QVRNotificationCenter {
 public:
  using Block = std::function<void(const QVRNotification&)>;

  // Ends its observation when destroyed (or reset).
  class Observation {
   public:
    Observation() = default;
    Observation(Observation&&) noexcept = default;
    Observation& operator=(Observation&&) noexcept;
    ~Observation();
    Observation(const Observation&) = delete;
    Observation& operator=(const Observation&) = delete;

    void reset();
    bool isActive() const;

   private:
    friend class QVRNotificationCenter;
    struct Entry;
    explicit Observation(std::shared_ptr<Entry> entry) : _entry(std::move(entry)) {}
    std::shared_ptr<Entry> _entry;
  };

  QVRNotificationCenter() = default;
  // Identity object: observers hold its entries.
  QVRNotificationCenter(const QVRNotificationCenter&) = delete;
  QVRNotificationCenter& operator=(const QVRNotificationCenter&) = delete;

  // Observes notifications named `name` (empty: every name) about `object` (none: any object).
  [[nodiscard]] Observation addObserver(std::string name, const void* object, Block block);

  void post(std::string_view name, const void* object = nullptr,
            const QVRUserInfo* userInfo = nullptr);

 private:
  std::mutex _mutex;
  std::vector<std::weak_ptr<Observation::Entry>> _entries;
};
