#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "common/QVRTimer.h"
#include "support/TallixTest.h"

using namespace std::chrono_literals;

namespace {

class QVRVirtualRunLoopTests : public TallixTest {};

TEST_F(QVRVirtualRunLoopTests, DroppedOrInvalidatedTimersNeverFireAgain) {
  int count = 0;
  {
    auto dropped = QVRTimer::scheduledTimerWithTimeInterval(1s, [&] { ++count; });
  }
  auto invalidated = QVRTimer::scheduledTimerAndTerminateWithTimeInterval(1s, [&] { ++count; });
  invalidated.invalidate();
  runLoop().advanceBy(5s);
  runLoop().terminate();
  EXPECT_EQ(count, 0);
  EXPECT_EQ(runLoop().scheduledTimerCount(), 0u);
}

TEST_F(QVRVirtualRunLoopTests, BlocksFromOtherThreadsRunOnTheMainThreadInOrder) {
  std::vector<int> order;
  const auto mainThread = std::this_thread::get_id();
  bool allOnMain = true;
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) {
      runLoop().dispatchMain([&, i] {
        allOnMain = allOnMain && std::this_thread::get_id() == mainThread;
        order.push_back(i);
      });
    }
  });
  worker.join();
  EXPECT_TRUE(order.empty());
  runLoop().runPending();
  ASSERT_EQ(order.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
  EXPECT_TRUE(allOnMain);
}

TEST_F(QVRVirtualRunLoopTests, NegativeAndNotFiniteDurationsMoveNothing) {
  const auto start = runLoop().now();
  runLoop().advanceBy(QVRTimer::Interval(-5));
  runLoop().advanceBy(QVRTimer::Interval(std::numeric_limits<double>::quiet_NaN()));
  runLoop().advanceBy(QVRTimer::Interval(std::numeric_limits<double>::infinity()));
  EXPECT_EQ(runLoop().now(), start);
}

TEST_F(QVRVirtualRunLoopTests, HugeIntervalsAreClampedInsteadOfOverflowingTheClock) {
  int fired = 0;
  auto timer =
      QVRTimer::scheduledTimerWithTimeInterval(QVRTimer::Interval(1e300), [&] { ++fired; });
  runLoop().advanceBy(QVRTimer::Interval(1e9));
  EXPECT_EQ(fired, 0);
  runLoop().advanceBy(QVRTimer::Interval(1e20));
  EXPECT_EQ(fired, 1);
  EXPECT_GT(runLoop().now(), QVRVirtualRunLoop::defaultStart());
}

}  // namespace
