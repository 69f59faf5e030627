#pragma once

#include <signal.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

#include "common/QVRRunLoop.h"
#include "common/QVRTimerHeap.h"

// The interactive program's main loop on poll(2): repeating timers from a heap of deadlines on
// the monotonic clock, blocks handed over from any thread (an eventfd wakes the loop), watchers
// of file descriptors (standard input), and the termination signals SIGINT, SIGTERM and SIGHUP
// read from a signalfd, so that the program can save and leave cleanly. Everything but
// dispatchMain and stop runs on the thread that made the loop.
class QVRPollRunLoop final : public QVRRunLoop {
 public:
  using MonotonicClock = std::chrono::steady_clock;
  // The clocks the loop reads. Tests pass their own, so that timers fall due without waiting.
  struct Clocks {
    std::function<MonotonicClock::time_point()> monotonic = [] { return MonotonicClock::now(); };
    std::function<Clock::time_point()> wall = [] { return Clock::now(); };
  };
  static constexpr std::chrono::milliseconds forever = std::chrono::milliseconds::max();

  // A watched file descriptor. The watch ends when the token is dropped or cancelled.
  class Watch {
   public:
    struct State;
    Watch() = default;
    explicit Watch(std::shared_ptr<State> state) : _state(std::move(state)) {}
    Watch(Watch&&) noexcept = default;
    Watch& operator=(Watch&& other) noexcept;
    ~Watch();
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    void cancel();
    bool isActive() const;

   private:
    std::shared_ptr<State> _state;
  };

  QVRPollRunLoop();
  explicit QVRPollRunLoop(Clocks clocks);
  // Restores the signal mask that onSignal changed. Call it on the loop's thread.
  ~QVRPollRunLoop() override;
  // Identity object: timers, watchers and other threads refer to it.
  QVRPollRunLoop(const QVRPollRunLoop&) = delete;
  QVRPollRunLoop& operator=(const QVRPollRunLoop&) = delete;

  QVRTimer scheduledTimer(QVRTimer::Interval interval, bool runsAtTermination,
                          std::function<void()> block) override;
  // Thread-safe; the blocks run on the loop's thread in the order they were handed over.
  void dispatchMain(std::function<void()> block) override;
  Clock::time_point now() const override;
  // Runs the blocks already handed over, every valid timer that runs at termination once (in
  // the order they were scheduled), then the blocks those handed over.
  void terminate() override;

  // Calls `callback` on the loop's thread whenever `fd` is readable or has hung up (the
  // callback reads, or the loop would call it again at once). A descriptor closed while watched
  // ends its watch.
  [[nodiscard]] Watch watch(int fd, std::function<void()> callback);

  // Catches SIGINT, SIGTERM and SIGHUP and calls `handler` with the signal's number on the
  // loop's thread, during a pass. Blocks the three signals in the calling thread, which threads
  // started later inherit: call it on the loop's thread before other threads start. A signal
  // that arrives while the loop is not running waits for the next pass. Answers false, leaving
  // the signals as they were, when no signalfd could be made. A second call replaces the handler.
  bool onSignal(std::function<void(int)> handler);

  // Runs passes until stop() is called (a stop() before run() makes it return at once).
  void run();
  // Makes run() return after the current pass. Callable from any thread and from callbacks.
  void stop();
  // One pass: waits up to `timeout` (forever: until something happens; never past the next
  // timer's deadline) for a watched descriptor, a signal or a handed-over block, then calls the
  // ready watchers, the signal handler, the due timers (each at most once) and the blocks
  // handed over so far. Answers whether anything ran.
  bool runOnce(std::chrono::milliseconds timeout = forever);

 private:
  int pollTimeout(std::chrono::milliseconds timeout);
  bool readSignals();
  bool runDueTimers();
  // Runs at most `count` blocks from the front of the queue, one at a time, so that a block
  // that throws leaves the rest queued.
  bool runDispatched(std::size_t count);
  std::size_t dispatchedCount();

  Clocks _clocks;
  QVRTimerHeap _timers;
  std::vector<std::weak_ptr<Watch::State>> _watches;

  int _wakeFd = -1;
  std::mutex _mutex;
  std::deque<std::function<void()>> _dispatched;
  std::atomic<bool> _stopRequested = false;

  int _signalFd = -1;
  std::function<void(int)> _signalHandler;
  sigset_t _signalsBlockedHere;
};
