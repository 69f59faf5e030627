#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/QVRArray.h"
#include "support/SeededRandom.h"

namespace {

// Strings equal without regard to case, with a hash that agrees.
struct CaseFolded {
  static std::string folded(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }
  std::size_t operator()(const std::string& s) const { return std::hash<std::string>()(folded(s)); }
  bool operator()(const std::string& a, const std::string& b) const {
    return folded(a) == folded(b);
  }
};

TEST(QVRArray, PrefixesAndMergesWithTheGivenEquality) {
  const std::vector<std::string> names{"Alpha", "beta"};
  EXPECT_TRUE(QVRArray::hasPrefix(names, {"ALPHA", "Beta"}, CaseFolded{}));
  EXPECT_FALSE(QVRArray::hasPrefix(names, {"ALPHA", "Beta"}));
  EXPECT_FALSE(QVRArray::hasPrefix(names, {"Alpha", "beta", "gamma"}));
  const std::vector<std::string> server{"One", "Two"}, local{"one", "Three", "TWO"};
  EXPECT_EQ(QVRArray::arrayByMergingWithArray(server, local, CaseFolded{}, CaseFolded{}),
            (std::vector<std::string>{"One", "Three", "Two"}))
      << "shared elements keep the server's copy";
  // No local list counts as an empty one: the server's, without its repeats.
  EXPECT_EQ(QVRArray::arrayByMergingWithArray<int>({1, 2, 1, 2}, nullptr),
            (std::vector<int>{1, 2}));
}

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
