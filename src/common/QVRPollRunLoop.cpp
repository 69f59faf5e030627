#include "common/QVRPollRunLoop.h"

#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>

struct QVRPollRunLoop::Watch::State {
  int fd;
  std::function<void()> callback;
  bool active = true;
};

namespace {

// Without an eventfd (the process is out of descriptors) blocks from other threads are still
// picked up, only later: the loop never sleeps longer than this.
constexpr int pollingWithoutWakeUp = 50;

sigset_t terminationSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

bool hasSignals(const sigset_t& signals) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    if (sigismember(&signals, signal) == 1) return true;
  }
  return false;
}

}  // namespace

QVRPollRunLoop::Watch& QVRPollRunLoop::Watch::operator=(Watch&& other) noexcept {
  if (this != &other) {
    cancel();
    _state = std::move(other._state);
  }
  return *this;
}

QVRPollRunLoop::Watch::~Watch() {
  cancel();
}

void QVRPollRunLoop::Watch::cancel() {
  if (_state) {
    _state->active = false;
    _state.reset();
  }
}

bool QVRPollRunLoop::Watch::isActive() const {
  return _state && _state->active;
}

QVRPollRunLoop::QVRPollRunLoop() : QVRPollRunLoop(Clocks{}) {}

QVRPollRunLoop::QVRPollRunLoop(Clocks clocks) : _clocks(std::move(clocks)) {
  _wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  sigemptyset(&_signalsBlockedHere);
}

QVRPollRunLoop::~QVRPollRunLoop() {
  if (_signalFd >= 0) close(_signalFd);
  if (hasSignals(_signalsBlockedHere)) {
    pthread_sigmask(SIG_UNBLOCK, &_signalsBlockedHere, nullptr);
  }
  if (_wakeFd >= 0) close(_wakeFd);
}

QVRTimer QVRPollRunLoop::scheduledTimer(QVRTimer::Interval interval, bool runsAtTermination,
                                        std::function<void()> block) {
  auto state = std::make_shared<QVRTimer::State>(
      QVRTimer::State{interval, runsAtTermination, std::move(block)});
  _timers.schedule(state, _clocks.monotonic());
  return QVRTimer(std::move(state));
}

void QVRPollRunLoop::dispatchMain(std::function<void()> block) {
  {
    std::lock_guard lock(_mutex);
    _dispatched.push_back(std::move(block));
  }
  if (_wakeFd >= 0) {
    const std::uint64_t one = 1;
    // EAGAIN means the counter is already far from zero: the loop wakes anyway.
    [[maybe_unused]] const ssize_t written = write(_wakeFd, &one, sizeof one);
  }
}

QVRRunLoop::Clock::time_point QVRPollRunLoop::now() const {
  return _clocks.wall();
}

void QVRPollRunLoop::terminate() {
  runDispatched(dispatchedCount());
  for (const auto& timer : _timers.terminationTimers()) {
    if (timer->valid) timer->block();
  }
  runDispatched(dispatchedCount());
}

QVRPollRunLoop::Watch QVRPollRunLoop::watch(int fd, std::function<void()> callback) {
  auto state = std::make_shared<Watch::State>(Watch::State{fd, std::move(callback)});
  _watches.push_back(state);
  return Watch(std::move(state));
}

bool QVRPollRunLoop::onSignal(std::function<void(int)> handler) {
  if (_signalFd < 0) {
    const sigset_t signals = terminationSignals();
    sigset_t previous;
    if (pthread_sigmask(SIG_BLOCK, &signals, &previous) != 0) return false;
    const int fd = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd < 0) {
      pthread_sigmask(SIG_SETMASK, &previous, nullptr);
      return false;
    }
    _signalFd = fd;
    // Only the signals that were not blocked before are ours to unblock again.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
      if (sigismember(&previous, signal) == 0) sigaddset(&_signalsBlockedHere, signal);
    }
  }
  _signalHandler = std::move(handler);
  return true;
}

void QVRPollRunLoop::run() {
  while (!_stopRequested.exchange(false)) runOnce(forever);
}

void QVRPollRunLoop::stop() {
  _stopRequested = true;
  dispatchMain([] {});
}

bool QVRPollRunLoop::runOnce(std::chrono::milliseconds timeout) {
  std::erase_if(_watches, [](const auto& weak) {
    const auto state = weak.lock();
    return !state || !state->active;
  });
  std::vector<pollfd> descriptors;
  std::vector<std::shared_ptr<Watch::State>> watched;
  if (_wakeFd >= 0) descriptors.push_back({_wakeFd, POLLIN, 0});
  if (_signalFd >= 0) descriptors.push_back({_signalFd, POLLIN, 0});
  const std::size_t firstWatch = descriptors.size();
  for (const auto& weak : _watches) {
    auto state = weak.lock();
    descriptors.push_back({state->fd, POLLIN, 0});
    watched.push_back(std::move(state));
  }

  const int ready = poll(descriptors.data(), descriptors.size(), pollTimeout(timeout));
  bool ran = false;
  if (ready > 0) {
    for (const pollfd& descriptor : descriptors) {
      if (descriptor.fd == _wakeFd && (descriptor.revents & POLLIN)) {
        std::uint64_t count;
        [[maybe_unused]] const ssize_t got = read(_wakeFd, &count, sizeof count);
      }
      if (descriptor.fd == _signalFd && (descriptor.revents & POLLIN)) ran |= readSignals();
    }
    for (std::size_t index = 0; index < watched.size(); ++index) {
      const short events = descriptors[firstWatch + index].revents;
      Watch::State& state = *watched[index];
      if (events & POLLNVAL) {
        state.active = false;
      } else if ((events & (POLLIN | POLLHUP | POLLERR)) && state.active) {
        state.callback();
        ran = true;
      }
    }
  }
  ran |= runDueTimers();
  // Blocks handed over by the callbacks above run in this pass too; those that the blocks
  // hand over wait for the next one, so that a block that keeps handing itself over cannot
  // starve the descriptors.
  ran |= runDispatched(dispatchedCount());
  return ran;
}

int QVRPollRunLoop::pollTimeout(std::chrono::milliseconds timeout) {
  if (dispatchedCount() > 0) return 0;
  using std::chrono::milliseconds;
  milliseconds wait = timeout < milliseconds::zero() ? milliseconds::zero() : timeout;
  const auto deadline = _timers.nextDeadline();
  if (deadline != QVRTimerHeap::TimePoint::max()) {
    const auto now = _clocks.monotonic();
    const auto untilDeadline =
        deadline <= now ? milliseconds::zero() : std::chrono::ceil<milliseconds>(deadline - now);
    wait = std::min(wait, untilDeadline);
  }
  if (_wakeFd < 0) wait = std::min(wait, milliseconds(pollingWithoutWakeUp));
  if (wait == forever) return -1;
  return static_cast<int>(std::min<milliseconds::rep>(wait.count(), INT_MAX));
}

bool QVRPollRunLoop::readSignals() {
  bool ran = false;
  signalfd_siginfo info;
  while (read(_signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    if (_signalHandler) {
      _signalHandler(static_cast<int>(info.ssi_signo));
      ran = true;
    }
  }
  return ran;
}

bool QVRPollRunLoop::runDueTimers() {
  bool ran = false;
  const auto now = _clocks.monotonic();
  while (auto timer = _timers.popDue(now)) {
    timer->block();
    ran = true;
  }
  return ran;
}

bool QVRPollRunLoop::runDispatched(std::size_t count) {
  bool ran = false;
  for (std::size_t index = 0; index < count; ++index) {
    std::function<void()> block;
    {
      std::lock_guard lock(_mutex);
      if (_dispatched.empty()) break;
      block = std::move(_dispatched.front());
      _dispatched.pop_front();
    }
    block();
    ran = true;
  }
  return ran;
}

std::size_t QVRPollRunLoop::dispatchedCount() {
  std::lock_guard lock(_mutex);
  return _dispatched.size();
}
