#include "common/QVRVirtualRunLoop.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr QVRTimer::Interval minimumInterval{0.001};
// About a hundred years: far beyond any timer, far below the clock's range.
constexpr QVRTimer::Interval maximumInterval{3.2e9};

// The clock's duration of an interval, kept within [0, maximumInterval] so that the conversion
// to the clock's integer type and the sums with it cannot overflow.
QVRRunLoop::Clock::duration toClock(QVRTimer::Interval interval) {
  if (!(interval.count() > 0)) return {};
  return std::chrono::duration_cast<QVRRunLoop::Clock::duration>(
      std::min(interval, maximumInterval));
}

}  // namespace

QVRRunLoop::Clock::time_point QVRVirtualRunLoop::defaultStart() {
  return Clock::time_point(std::chrono::seconds(1767225600));
}

QVRVirtualRunLoop::QVRVirtualRunLoop(Clock::time_point start) : _now(start) {}

QVRTimer QVRVirtualRunLoop::scheduledTimer(QVRTimer::Interval interval, bool runsAtTermination,
                                           std::function<void()> block) {
  if (!(interval >= minimumInterval)) interval = minimumInterval;  // also NaN
  interval = std::min(interval, maximumInterval);
  auto state = std::make_shared<QVRTimer::State>(
      QVRTimer::State{interval, runsAtTermination, std::move(block)});
  _entries.push_back({state, _now + toClock(interval)});
  return QVRTimer(std::move(state));
}

void QVRVirtualRunLoop::dispatchMain(std::function<void()> block) {
  {
    std::lock_guard lock(_mutex);
    _pending.push_back(std::move(block));
  }
  _dispatched.notify_all();
}

QVRRunLoop::Clock::time_point QVRVirtualRunLoop::now() const {
  return _now;
}

void QVRVirtualRunLoop::terminate() {
  runPending();
  std::vector<std::shared_ptr<QVRTimer::State>> due;
  for (const auto& entry : _entries) {
    auto state = entry.state.lock();
    if (state && state->valid && state->runsAtTermination) due.push_back(std::move(state));
  }
  for (const auto& state : due) {
    if (state->valid) state->block();
  }
  runPending();
}

void QVRVirtualRunLoop::runPending() {
  while (true) {
    std::function<void()> block;
    {
      std::lock_guard lock(_mutex);
      if (_pending.empty()) return;
      block = std::move(_pending.front());
      _pending.pop_front();
    }
    block();
  }
}

void QVRVirtualRunLoop::advanceBy(QVRTimer::Interval duration) {
  runPending();
  if (!std::isfinite(duration.count()) || duration.count() < 0) return;
  const Clock::time_point end = _now + toClock(duration);
  while (auto state = takeNextDue(end)) {
    state->block();
    runPending();
  }
  _now = std::max(_now, end);
}

void QVRVirtualRunLoop::setNow(Clock::time_point time) {
  _now = time;
}

bool QVRVirtualRunLoop::waitForDispatch(std::chrono::milliseconds timeout) {
  std::unique_lock lock(_mutex);
  return _dispatched.wait_for(lock, timeout, [this] { return !_pending.empty(); });
}

std::size_t QVRVirtualRunLoop::scheduledTimerCount() {
  dropInvalid();
  return _entries.size();
}

void QVRVirtualRunLoop::dropInvalid() {
  std::erase_if(_entries, [](const Entry& entry) {
    auto state = entry.state.lock();
    return !state || !state->valid;
  });
}

std::shared_ptr<QVRTimer::State> QVRVirtualRunLoop::takeNextDue(Clock::time_point end) {
  dropInvalid();
  auto earliest =
      std::min_element(_entries.begin(), _entries.end(),
                       [](const Entry& a, const Entry& b) { return a.nextFire < b.nextFire; });
  if (earliest == _entries.end() || earliest->nextFire > end) return nullptr;
  auto state = earliest->state.lock();
  const Clock::time_point fireTime = std::max(earliest->nextFire, _now);
  _now = fireTime;
  // The next time lies one interval on, past every interval that was missed.
  const Clock::duration step = toClock(state->interval);
  Clock::time_point next = earliest->nextFire + step;
  if (next <= fireTime) {
    const auto missed = (fireTime - earliest->nextFire) / step;
    next = earliest->nextFire + (missed + 1) * step;
    if (next <= fireTime) next = fireTime + step;
  }
  earliest->nextFire = next;
  return state;
}
