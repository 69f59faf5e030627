#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "common/QVRTimer.h"
#include "support/TallixTest.h"

using namespace std::chrono_literals;

namespace {

class QVRVirtualRunLoopTests : public TallixTest {};

// Negative and not finite durations move nothing; huge intervals are clamped instead of
// overflowing the clock. (Dropped and invalidated timers are the documents' tests: a save timer
// firing after its document went would be a use after free there.)
TEST_F(QVRVirtualRunLoopTests, HostileDurationsNeitherMoveNorOverflowTheClock) {
  const auto start = runLoop().now();
  for (const double seconds :
       {-5.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    runLoop().advanceBy(QVRTimer::Interval(seconds));
  }
  EXPECT_EQ(runLoop().now(), start);
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
