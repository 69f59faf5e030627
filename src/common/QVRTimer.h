#pragma once

#include <chrono>
#include <functional>
#include <memory>

// A repeating timer on the main run loop. The handle is move-only and the timer stops when its
// handle is dropped or invalidated, so a timer never outlives its owner.
class QVRTimer {
 public:
  using Interval = std::chrono::duration<double>;

  QVRTimer() = default;
  QVRTimer(QVRTimer&&) noexcept = default;
  QVRTimer& operator=(QVRTimer&& other) noexcept;
  ~QVRTimer();
  QVRTimer(const QVRTimer&) = delete;
  QVRTimer& operator=(const QVRTimer&) = delete;

  // Schedules `block` every `interval` seconds on the current environment's main run loop, and
  // once more when the program terminates (QVRRunLoop::terminate).
  [[nodiscard]] static QVRTimer scheduledTimerAndTerminateWithTimeInterval(
      Interval interval, std::function<void()> block);
  // The same without the run at termination (a plain repeating timer).
  [[nodiscard]] static QVRTimer scheduledTimerWithTimeInterval(Interval interval,
                                                               std::function<void()> block);

  void invalidate();
  bool isValid() const;
  Interval interval() const;
  // How late the timer may fire, a hint for the run loop to coalesce wake-ups; the virtual run
  // loop fires on time and ignores it. Zero until set.
  Interval tolerance() const;
  void setTolerance(Interval tolerance);

  // What a run loop keeps of a timer: it holds the state weakly and skips it once the handle
  // has gone or invalidated it.
  struct State {
    Interval interval;
    bool runsAtTermination;
    std::function<void()> block;
    bool valid = true;
    Interval tolerance{};
  };
  explicit QVRTimer(std::shared_ptr<State> state) : _state(std::move(state)) {}

 private:
  std::shared_ptr<State> _state;
};
