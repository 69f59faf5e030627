#pragma once

#include <chrono>
#include <functional>

#include "common/QVRTimer.h"

// The main run loop: repeating timers, blocks handed to the main thread, and the clock that
// model code reads. The interactive program runs QVRPollRunLoop; tests and batch work run
// QVRVirtualRunLoop, whose time moves only when told.
class QVRRunLoop {
 public:
  using Clock = std::chrono::system_clock;

  virtual ~QVRRunLoop() = default;

  // Schedules `block` every `interval` (at least a millisecond); with `runsAtTermination` the
  // block also runs once in terminate().
  [[nodiscard]] virtual QVRTimer scheduledTimer(QVRTimer::Interval interval, bool runsAtTermination,
                                                std::function<void()> block) = 0;

  // Runs `block` on the main thread, soon, after the blocks handed over before it. Callable from
  // any thread.
  virtual void dispatchMain(std::function<void()> block) = 0;

  // The current time of this loop's clock.
  virtual Clock::time_point now() const = 0;

  // Runs, once, every valid timer scheduled with runsAtTermination (before the program exits,
  // so that pending changes are written). Called on the main thread.
  virtual void terminate() = 0;
};
