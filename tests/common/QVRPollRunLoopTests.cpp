#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/QVRPollRunLoop.h"

using namespace std::chrono_literals;

namespace {

// A loop whose clock moves only when the test moves it, so passes with a zero timeout fire
// timers without waiting.
class QVRPollRunLoopTests : public ::testing::Test {
 protected:
  QVRPollRunLoop::MonotonicClock::time_point now{std::chrono::hours(1)};
  QVRPollRunLoop loop{{.monotonic = [this] { return now; }}};
  std::vector<std::string> events;

  void advanceAndRun(std::chrono::nanoseconds duration) {
    now += duration;
    loop.runOnce(0ms);
  }
};

// When timers fire is the timer heap's (QVRTimerHeapTests); here, what the loop adds to it.
TEST_F(QVRPollRunLoopTests, BlocksMayInvalidateTimersAndScheduleNewOnes) {
  QVRTimer first;
  QVRTimer second;
  first = loop.scheduledTimer(1s, false, [&] {
    events.push_back("first");
    first.invalidate();
    second = loop.scheduledTimer(5s, false, [&] { events.push_back("second"); });
    loop.dispatchMain([&] { events.push_back("handed over by a timer"); });
  });
  for (int i = 0; i < 11; ++i) advanceAndRun(1s);
  EXPECT_EQ(events,
            (std::vector<std::string>{"first", "handed over by a timer", "second", "second"}));
}

TEST_F(QVRPollRunLoopTests, BlocksFromManyThreadsRunOnTheLoopThreadInEachThreadsOrder) {
  constexpr int threads = 4;
  constexpr int perThread = 2000;
  const auto loopThread = std::this_thread::get_id();
  std::vector<std::vector<int>> seen(threads);
  int total = 0;
  bool allOnLoopThread = true;
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < perThread; ++i) {
        loop.dispatchMain([&, t, i] {
          allOnLoopThread = allOnLoopThread && std::this_thread::get_id() == loopThread;
          seen[t].push_back(i);
          if (++total == threads * perThread) loop.stop();
        });
      }
    });
  }
  const auto started = std::chrono::steady_clock::now();
  // The clocks are fake, but poll waits in real time: each pass must be woken by the eventfd.
  while (total < threads * perThread && std::chrono::steady_clock::now() - started < 20s) {
    loop.runOnce(10s);
  }
  for (auto& worker : workers) worker.join();
  ASSERT_EQ(total, threads * perThread);
  EXPECT_TRUE(allOnLoopThread);
  for (int t = 0; t < threads; ++t) {
    ASSERT_EQ(seen[t].size(), static_cast<std::size_t>(perThread));
    EXPECT_TRUE(std::is_sorted(seen[t].begin(), seen[t].end())) << "thread " << t;
  }
}

// Data and the end of input reach a watcher through the line reader's tests; here the token's
// lifetime, and a descriptor closed while watched, which ends its watch instead of spinning.
TEST_F(QVRPollRunLoopTests, AWatchEndsWithItsTokenOrItsDescriptor) {
  int channel[2], closed[2];
  ASSERT_EQ(pipe(channel), 0);
  ASSERT_EQ(pipe(closed), 0);
  int calls = 0;
  auto watch = loop.watch(channel[0], [&] { ++calls; });
  auto closedWatch = loop.watch(closed[0], [&] { ++calls; });
  close(closed[0]);
  EXPECT_FALSE(loop.runOnce(0ms)) << "nothing to read yet";
  EXPECT_FALSE(closedWatch.isActive());
  auto moved = std::move(watch);
  EXPECT_FALSE(watch.isActive());
  ASSERT_EQ(write(channel[1], "ab", 2), 2);
  EXPECT_TRUE(loop.runOnce(0ms));
  moved.cancel();
  EXPECT_FALSE(loop.runOnce(0ms));
  EXPECT_EQ(calls, 1);
  for (int fd : {channel[0], channel[1], closed[1]}) close(fd);
}

bool isBlocked(int signal) {
  sigset_t mask;
  pthread_sigmask(SIG_BLOCK, nullptr, &mask);
  return sigismember(&mask, signal) == 1;
}

// Each termination signal reaches the handler on the loop thread, never in signal context; the
// loop gives it back unblocked, unless it was blocked before.
TEST(QVRPollRunLoopSignals, TerminationSignalsReachTheHandlerOnTheLoopThread) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP, 0}) {
    SCOPED_TRACE(signal);
    const bool blockedBefore = signal == 0;
    sigset_t hangUp;
    sigemptyset(&hangUp);
    sigaddset(&hangUp, SIGHUP);
    if (blockedBefore) pthread_sigmask(SIG_BLOCK, &hangUp, nullptr);
    {
      QVRPollRunLoop loop;
      std::vector<int> received;
      ASSERT_TRUE(loop.onSignal([&](int number) {
        received.push_back(number);
        loop.stop();
      }));
      if (!blockedBefore) {
        EXPECT_TRUE(isBlocked(signal));
        raise(signal);  // pending until the loop reads it; the process lives on
        EXPECT_TRUE(received.empty());
        loop.run();
        EXPECT_EQ(received, std::vector<int>{signal});
      }
    }
    EXPECT_EQ(isBlocked(SIGHUP), blockedBefore);
    EXPECT_FALSE(isBlocked(SIGTERM));
    pthread_sigmask(SIG_UNBLOCK, &hangUp, nullptr);
  }
}

}  // namespace
