#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cloud/QVRTallixArrayMerger.h"
#include "support/TallixTest.h"

namespace {

using Action = QVRTallixArrayMergeAction;
using Range = Action::Range;
using Strings = std::vector<std::string>;
constexpr std::uint64_t kNotFound = 0x7FFF'FFFF'FFFF'FFFF;

Action move(Range source, Range target) {
  return {QVRTallixArrayMergeActionTypeMove, source, target};
}
Action modify(Range source, Range target) {
  return {QVRTallixArrayMergeActionTypeModify, source, target};
}
Action insert(Range source, Range target) {
  return {QVRTallixArrayMergeActionTypeInsert, source, target};
}
Action remove(Range source) {
  return {QVRTallixArrayMergeActionTypeDelete, source, {kNotFound, 0}};
}

class QVRTallixArrayMergerTests : public TallixTest {};

// Applies the actions in order to a copy of the source; fails on a range outside the lists.
template <class T>
std::vector<T> apply(std::vector<T> list, const std::vector<T>& target,
                     const std::vector<Action>& actions) {
  for (const Action& action : actions) {
    const Range s = action.sourceRange();
    const Range t = action.targetRange();
    const auto at = [&](std::uint64_t index) {
      return list.begin() + static_cast<std::ptrdiff_t>(index);
    };
    const auto from = [&](std::uint64_t index) {
      return target.begin() + static_cast<std::ptrdiff_t>(index);
    };
    switch (action.type()) {
      case QVRTallixArrayMergeActionTypeModify:
        EXPECT_TRUE(s.length == t.length && s.location + s.length <= list.size() &&
                    t.location + t.length <= target.size());
        std::copy(from(t.location), from(t.location + t.length), at(s.location));
        break;
      case QVRTallixArrayMergeActionTypeInsert:
        EXPECT_TRUE(s.location <= list.size() && t.location + t.length <= target.size());
        list.insert(at(s.location), from(t.location), from(t.location + t.length));
        break;
      case QVRTallixArrayMergeActionTypeDelete:
        EXPECT_TRUE(s.location + s.length <= list.size());
        list.erase(at(s.location), at(s.location + s.length));
        break;
      default:
        break;
    }
  }
  return list;
}

// The same search written the plain way: every pair of starting points, each run extended as
// far as it goes; a run replaces the best only when strictly longer.
void oracle(const std::vector<int>& source, const std::vector<int>& target, Range s, Range t,
            std::vector<Action>& actions) {
  std::uint64_t bestLength = 0, bestSource = 0, bestTarget = 0;
  for (std::uint64_t i = s.location; i < s.location + s.length; ++i) {
    for (std::uint64_t j = t.location; j < t.location + t.length; ++j) {
      std::uint64_t length = 0;
      while (i + length < s.location + s.length && j + length < t.location + t.length &&
             source[i + length] == target[j + length]) {
        ++length;
      }
      if (length > bestLength) {
        bestLength = length;
        bestSource = i;
        bestTarget = j;
      }
    }
  }
  if (bestLength == 0) {
    const std::uint64_t p = std::min(s.length, t.length);
    if (p > 0) actions.push_back(modify({s.location, p}, {t.location, p}));
    if (s.length > t.length) actions.push_back(remove({s.location + p, s.length - p}));
    if (s.length < t.length)
      actions.push_back(insert({s.location + p, t.length - p}, {t.location + p, t.length - p}));
    return;
  }
  oracle(source, target, {s.location, bestSource - s.location},
         {t.location, bestTarget - t.location}, actions);
  actions.push_back(move({bestSource, bestLength}, {bestTarget, bestLength}));
  oracle(source, target, {bestSource + bestLength, s.location + s.length - bestSource - bestLength},
         {bestTarget + bestLength, t.location + t.length - bestTarget - bestLength}, actions);
}

}  // namespace

TEST_F(QVRTallixArrayMergerTests, AComparisonThatRaisesGivesNoListAndIsLogged) {
  const auto raises = [](const std::string& a, const std::string& b) {
    if (a == "!" || b == "!")
      throw QVRException("NSInternalInconsistencyException", "cannot compare");
    return a == b;
  };
  const Strings source{"a", "!"};
  const Strings target{"c"};
  using Raising = QVRTallixArrayMerger<std::string, decltype(raises)>;
  EXPECT_FALSE(Raising::mergeActionsFromSource(source, target, raises));
  EXPECT_EQ(
      log().lines(),
      Strings{"Failed to merge (a, !) with (c): NSInternalInconsistencyException: cannot compare"});
}

// For random lists over small alphabets (many shared runs and ties), the actions turn the
// source into the target and are exactly those of the plain search.
TEST_F(QVRTallixArrayMergerTests, ActionsTurnTheSourceIntoTheTargetAndMatchThePlainSearch) {
  const char* replay = std::getenv("TALLIX_TEST_SEED");
  const std::uint64_t seed = replay && *replay ? std::strtoull(replay, nullptr, 10) : 20260101;
  std::mt19937_64 random(seed);
  for (int iteration = 0; iteration < 100000; ++iteration) {
    const int alphabet = std::uniform_int_distribution<int>(1, 5)(random);
    const auto list = [&] {
      std::vector<int> elements(std::uniform_int_distribution<std::size_t>(0, 10)(random));
      for (int& element : elements)
        element = std::uniform_int_distribution<int>(0, alphabet - 1)(random);
      return elements;
    };
    const auto source = list();
    const auto target = list();
    const auto actions = QVRTallixArrayMerger<int>::mergeActionsFromSource(source, target);
    std::vector<Action> expected;
    oracle(source, target, {0, source.size()}, {0, target.size()}, expected);
    std::reverse(expected.begin(), expected.end());
    ASSERT_TRUE(actions);
    ASSERT_EQ(*actions, expected) << "seed " << seed << ", iteration " << iteration;
    ASSERT_EQ(apply(source, target, *actions), target)
        << "seed " << seed << ", iteration " << iteration;
  }
  EXPECT_EQ(QVRTallixArrayMerger<int>::mergeActionsFromSource(nullptr, nullptr),
            std::vector<Action>{});
}
