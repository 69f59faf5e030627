#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/QVRTimer.h"

// The deadlines of a run loop's repeating timers, earliest first. It reads no clock: the loop
// passes the time in, so the firing rules are tested without waiting. Timers whose handle has
// gone or invalidated them are dropped as they come up. Main thread only.
class QVRTimerHeap {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  using Duration = std::chrono::steady_clock::duration;

  // The step a timer of `interval` moves by: at least a millisecond (also for NaN and negative
  // intervals) and at most a hundred years, so that no deadline overflows the clock.
  static Duration step(QVRTimer::Interval interval);

  // Adds a timer whose first deadline lies one interval after `now`.
  void schedule(std::shared_ptr<QVRTimer::State> state, TimePoint now);

  // The earliest deadline of a live timer; TimePoint::max() when there is none.
  TimePoint nextDeadline();

  // The live timer with the earliest deadline at or before `now` (the earlier scheduled first
  // among equal deadlines), moved to its next deadline after `now` on its own grid: a timer that
  // missed several intervals fires once. None when no timer is due.
  std::shared_ptr<QVRTimer::State> popDue(TimePoint now);

  // The valid timers that run at termination, in the order they were scheduled.
  std::vector<std::shared_ptr<QVRTimer::State>> terminationTimers() const;

  // The entries held, live or not yet dropped.
  std::size_t size() const { return _entries.size(); }

 private:
  struct Entry {
    TimePoint deadline;
    std::uint64_t sequence;
    Duration step;
    std::weak_ptr<QVRTimer::State> state;
  };
  // std::push_heap keeps the greatest first; "greater" is the later deadline.
  static bool later(const Entry& a, const Entry& b);
  void dropDeadTop();
  void compactIfLarge();

  std::vector<Entry> _entries;
  std::uint64_t _nextSequence = 0;
  std::size_t _compactAt = 64;
};
