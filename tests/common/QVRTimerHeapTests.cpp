#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/QVRTimerHeap.h"
#include "support/SeededRandom.h"

using namespace std::chrono_literals;

namespace {

using TimePoint = QVRTimerHeap::TimePoint;

std::shared_ptr<QVRTimer::State> makeState(double seconds, bool runsAtTermination = false) {
  return std::make_shared<QVRTimer::State>(
      QVRTimer::State{QVRTimer::Interval(seconds), runsAtTermination, [] {}});
}

TEST(QVRTimerHeap, StepsAreClampedForHostileIntervals) {
  // clang-format off
  const struct { double seconds; QVRTimerHeap::Duration expected; } cases[] = {
      {0.0, 1ms},
      {std::numeric_limits<double>::quiet_NaN(), 1ms},
      {std::numeric_limits<double>::infinity(),
       std::chrono::duration_cast<QVRTimerHeap::Duration>(
           std::chrono::duration<double>(100.0 * 365.25 * 24 * 3600))},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(QVRTimerHeap::step(QVRTimer::Interval(c.seconds)), c.expected);
  }
}

// Against a direct model: timer i fires at start + k * step(i) for k = 1, 2...; at each
// checkpoint every timer with a grid point at or before it, since its last firing, fires once,
// in the order of the grid point it was due at (then of scheduling).
TEST(QVRTimerHeap, FiresLikeTheGridModelOverRandomSchedules) {
  const std::uint64_t seed = SeededRandom::testSeed(0x7A3E6E5F);
  SCOPED_TRACE("TALLIX_TEST_SEED=" + std::to_string(seed));
  std::mt19937_64 random(seed);
  for (int round = 0; round < 2000; ++round) {
    QVRTimerHeap heap;
    const TimePoint start{std::chrono::seconds(random() % 1000)};
    const int count = 1 + static_cast<int>(random() % 6);
    std::vector<std::shared_ptr<QVRTimer::State>> states;
    std::vector<QVRTimerHeap::Duration> steps;
    std::vector<TimePoint> due;  // the model's next grid point, per timer
    for (int i = 0; i < count; ++i) {
      const double seconds = 0.001 * static_cast<double>(1 + random() % 50);
      states.push_back(makeState(seconds));
      steps.push_back(QVRTimerHeap::step(QVRTimer::Interval(seconds)));
      due.push_back(start + steps.back());
      heap.schedule(states.back(), start);
    }
    TimePoint now = start;
    for (int checkpoint = 0; checkpoint < 20; ++checkpoint) {
      now += std::chrono::milliseconds(random() % 120);
      if (random() % 10 == 0) states[random() % count]->valid = false;
      std::vector<std::pair<TimePoint, int>> expected;
      for (int i = 0; i < count; ++i) {
        if (!states[i]->valid || due[i] > now) continue;
        expected.emplace_back(due[i], i);
        due[i] += steps[i] * ((now - due[i]) / steps[i] + 1);
      }
      std::sort(expected.begin(), expected.end());
      std::vector<int> fired;
      while (auto state = heap.popDue(now)) {
        fired.push_back(
            static_cast<int>(std::find(states.begin(), states.end(), state) - states.begin()));
      }
      std::vector<int> expectedOrder;
      for (const auto& entry : expected) expectedOrder.push_back(entry.second);
      ASSERT_EQ(fired, expectedOrder) << "round " << round << ", checkpoint " << checkpoint;
    }
  }
}

TEST(QVRTimerHeap, DroppedTimersDoNotAccumulate) {
  QVRTimerHeap heap;
  auto kept = makeState(1.0);
  heap.schedule(kept, TimePoint{});
  for (int i = 0; i < 100'000; ++i) {
    heap.schedule(makeState(3600.0), TimePoint{});  // dropped at once, as a replaced timer
  }
  EXPECT_LE(heap.size(), 128u);
  EXPECT_EQ(heap.popDue(TimePoint{} + 1s), kept);
}

}  // namespace
