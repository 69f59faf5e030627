#include "common/QVRTimer.h"

#include "common/QVREnvironment.h"
#include "common/QVRRunLoop.h"

QVRTimer& QVRTimer::operator=(QVRTimer&& other) noexcept {
  if (this != &other) {
    invalidate();
    _state = std::move(other._state);
  }
  return *this;
}

QVRTimer::~QVRTimer() {
  invalidate();
}

QVRTimer QVRTimer::scheduledTimerAndTerminateWithTimeInterval(Interval interval,
                                                              std::function<void()> block) {
  return QVREnvironment::current().runLoop().scheduledTimer(interval, true, std::move(block));
}

QVRTimer QVRTimer::scheduledTimerWithTimeInterval(Interval interval, std::function<void()> block) {
  return QVREnvironment::current().runLoop().scheduledTimer(interval, false, std::move(block));
}

void QVRTimer::invalidate() {
  if (_state) {
    _state->valid = false;
    _state.reset();
  }
}

bool QVRTimer::isValid() const {
  return _state && _state->valid;
}

QVRTimer::Interval QVRTimer::interval() const {
  return _state ? _state->interval : Interval{};
}

QVRTimer::Interval QVRTimer::tolerance() const {
  return _state ? _state->tolerance : Interval{};
}

void QVRTimer::setTolerance(Interval tolerance) {
  if (_state) _state->tolerance = tolerance.count() > 0 ? tolerance : Interval{};
}
