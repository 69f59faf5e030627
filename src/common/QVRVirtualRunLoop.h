#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "common/QVRRunLoop.h"

// A run loop in virtual time, for tests and batch work: timers fire only when advanceBy moves
// the clock past their time, in the order of their times, and blocks handed to the main thread
// run when the owner drains them (runPending, advanceBy). Nothing ever sleeps.
class QVRVirtualRunLoop final : public QVRRunLoop {
 public:
  // 2026-01-01 00:00:00 UTC.
  static Clock::time_point defaultStart();

  explicit QVRVirtualRunLoop(Clock::time_point start = defaultStart());
  // Identity object: timers refer to it.
  QVRVirtualRunLoop(const QVRVirtualRunLoop&) = delete;
  QVRVirtualRunLoop& operator=(const QVRVirtualRunLoop&) = delete;

  QVRTimer scheduledTimer(QVRTimer::Interval interval, bool runsAtTermination,
                          std::function<void()> block) override;
  void dispatchMain(std::function<void()> block) override;
  Clock::time_point now() const override;
  void terminate() override;

  // Runs the blocks handed to the main thread, including those they hand over in turn.
  void runPending();
  // Moves the clock forward, firing every timer that falls due on the way in the order of their
  // times (the clock stands at each timer's time while it runs, and blocks handed over run after
  // each timer). A timer that missed several intervals fires once. Negative or not finite
  // durations move nothing.
  void advanceBy(QVRTimer::Interval duration);
  // Sets the clock without firing anything (the wall clock jumped).
  void setNow(Clock::time_point time);
  // Waits, in real time, until a block is handed over from another thread (a worker's
  // completion) or the timeout passes; answers whether one is pending. Runs nothing.
  bool waitForDispatch(std::chrono::milliseconds timeout);

  // The number of valid timers.
  std::size_t scheduledTimerCount();

 private:
  struct Entry {
    std::weak_ptr<QVRTimer::State> state;
    Clock::time_point nextFire;
  };

  std::shared_ptr<QVRTimer::State> takeNextDue(Clock::time_point end);
  void dropInvalid();

  Clock::time_point _now;
  std::vector<Entry> _entries;
  mutable std::mutex _mutex;
  std::condition_variable _dispatched;
  std::deque<std::function<void()>> _pending;
};
