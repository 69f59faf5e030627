#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/QVRArray.h"
#include "support/SeededRandom.h"

namespace {

// The rule as first written: a list with a cursor, found by linear search, inserted in place.
std::vector<int> mergeByTheBook(const std::vector<int>& server, const std::vector<int>& local) {
  std::vector<int> result;
  for (int element : server) {
    if (std::find(result.begin(), result.end(), element) == result.end()) result.push_back(element);
  }
  if (local.empty()) return result;
  const std::set<int> inLocal(local.begin(), local.end());
  std::size_t cursor = 0;
  auto skip = [&] {
    while (cursor < result.size() && !inLocal.contains(result[cursor])) ++cursor;
  };
  skip();
  for (int element : local) {
    const auto found = std::find(result.begin(), result.end(), element);
    if (found != result.end()) {
      const auto index = static_cast<std::size_t>(found - result.begin());
      if (index + 1 <= cursor) continue;
      cursor = index + 1;
      skip();
    } else {
      result.insert(result.begin() + static_cast<std::ptrdiff_t>(cursor), element);
      ++cursor;
    }
  }
  return result;
}

TEST(QVRArray, MergeAgreesWithTheBookOverRandomLists) {
  const std::uint64_t seed = SeededRandom::testSeed(0xAE76E);
  SCOPED_TRACE("TALLIX_TEST_SEED=" + std::to_string(seed));
  std::mt19937_64 random(seed);
  for (int n = 0; n < 100'000; ++n) {
    const int alphabet = 1 + static_cast<int>(random() % 12);
    auto randomList = [&] {
      std::vector<int> list(random() % 10);
      for (int& element : list) element = static_cast<int>(random() % alphabet);
      return list;
    };
    std::vector<int> server = randomList();
    std::vector<int> local = randomList();
    if (random() % 2) {  // often the local list is the server's with edits: orders agree
      local.clear();
      for (int element : server) {
        if (random() % 4) local.push_back(element);
      }
      for (int extra = 0; extra < alphabet; ++extra) {
        if (random() % 3 == 0) local.insert(local.begin() + random() % (local.size() + 1), extra);
      }
    }
    const std::vector<int> merged = QVRArray::arrayByMergingWithArray(server, local);
    ASSERT_EQ(merged, mergeByTheBook(server, local))
        << testing::PrintToString(server) << " + " << testing::PrintToString(local);
  }
}

}  // namespace
