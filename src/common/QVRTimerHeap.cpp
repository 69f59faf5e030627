#include "common/QVRTimerHeap.h"

#include <algorithm>
#include <cmath>

namespace {

using Duration = QVRTimerHeap::Duration;
using TimePoint = QVRTimerHeap::TimePoint;

constexpr std::chrono::duration<double> minimumStep{0.001};
constexpr std::chrono::duration<double> maximumStep{100.0 * 365.25 * 24 * 3600};

// `time + step`, or the clock's end when that would overflow.
TimePoint saturatingAdd(TimePoint time, Duration step) {
  if (TimePoint::max() - time < step) return TimePoint::max();
  return time + step;
}

bool isLive(const std::weak_ptr<QVRTimer::State>& weak) {
  const auto state = weak.lock();
  return state && state->valid;
}

}  // namespace

Duration QVRTimerHeap::step(QVRTimer::Interval interval) {
  std::chrono::duration<double> seconds = interval;
  if (!(seconds >= minimumStep)) seconds = minimumStep;  // also NaN
  if (seconds > maximumStep) seconds = maximumStep;
  return std::chrono::duration_cast<Duration>(seconds);
}

bool QVRTimerHeap::later(const Entry& a, const Entry& b) {
  if (a.deadline != b.deadline) return a.deadline > b.deadline;
  return a.sequence > b.sequence;
}

void QVRTimerHeap::schedule(std::shared_ptr<QVRTimer::State> state, TimePoint now) {
  const Duration timerStep = step(state->interval);
  _entries.push_back({saturatingAdd(now, timerStep), _nextSequence++, timerStep, state});
  std::push_heap(_entries.begin(), _entries.end(), later);
  compactIfLarge();
}

TimePoint QVRTimerHeap::nextDeadline() {
  dropDeadTop();
  return _entries.empty() ? TimePoint::max() : _entries.front().deadline;
}

std::shared_ptr<QVRTimer::State> QVRTimerHeap::popDue(TimePoint now) {
  dropDeadTop();
  if (_entries.empty() || _entries.front().deadline > now) return nullptr;
  std::pop_heap(_entries.begin(), _entries.end(), later);
  Entry& entry = _entries.back();
  auto state = entry.state.lock();
  // The next deadline on the timer's grid that lies after now.
  const Duration late = now - entry.deadline;
  entry.deadline = saturatingAdd(now, entry.step - late % entry.step);
  std::push_heap(_entries.begin(), _entries.end(), later);
  return state;
}

std::vector<std::shared_ptr<QVRTimer::State>> QVRTimerHeap::terminationTimers() const {
  std::vector<const Entry*> ordered;
  for (const Entry& entry : _entries) ordered.push_back(&entry);
  std::sort(ordered.begin(), ordered.end(),
            [](const Entry* a, const Entry* b) { return a->sequence < b->sequence; });
  std::vector<std::shared_ptr<QVRTimer::State>> timers;
  for (const Entry* entry : ordered) {
    auto state = entry->state.lock();
    if (state && state->valid && state->runsAtTermination) timers.push_back(std::move(state));
  }
  return timers;
}

void QVRTimerHeap::dropDeadTop() {
  while (!_entries.empty() && !isLive(_entries.front().state)) {
    std::pop_heap(_entries.begin(), _entries.end(), later);
    _entries.pop_back();
  }
}

// Dropped timers stay in the heap until they come up; a program that keeps replacing a
// long-interval timer would otherwise grow it without bound.
void QVRTimerHeap::compactIfLarge() {
  if (_entries.size() < _compactAt) return;
  std::erase_if(_entries, [](const Entry& entry) { return !isLive(entry.state); });
  std::make_heap(_entries.begin(), _entries.end(), later);
  _compactAt = std::max<std::size_t>(64, 2 * _entries.size());
}
