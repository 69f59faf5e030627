#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/QVRArray.h"
#include "support/SeededRandom.h"

namespace {

std::vector<char> chars(const std::string& text) {
  return {text.begin(), text.end()};
}
std::string text(const std::vector<char>& list) {
  return {list.begin(), list.end()};
}

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

TEST(QVRArray, PrefixesWithTheGivenEquality) {
  const std::vector<std::string> names{"Alpha", "beta"};
  EXPECT_TRUE(QVRArray::hasPrefix(names, {"ALPHA", "Beta"}, CaseFolded{}));
  EXPECT_FALSE(QVRArray::hasPrefix(names, {"ALPHA", "Beta"}));
  EXPECT_TRUE(QVRArray::hasPrefix(names, {}));
  EXPECT_FALSE(QVRArray::hasPrefix(names, {"Alpha", "beta", "gamma"}));
}

TEST(QVRArray, MergeByTheRule) {
  const struct {
    std::string server;
    std::optional<std::string> local;
    std::string merged;
  } cases[] = {
      {"abcd", "abce", "abcde"},   {"ac", "abc", "abc"},   {"", "ab", "ab"},
      {"xa", "ya", "xya"},         {"ab", "bxay", "abxy"}, {"abc", "cba", "abc"},
      {"xyab", "abz", "xyabz"},    {"aXb", "aYb", "aXYb"}, {"aab", "bba", "ab"},
      {"cab", "xaybzc", "xcaybz"}, {"abab", "", "ab"},     {"ba", "axb", "bax"},
      {"xyz", "zAyB", "xyzAB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server + " + " + c.local.value_or("(none)"));
    const std::vector<char> server = chars(c.server);
    std::optional<std::vector<char>> local;
    if (c.local) local = chars(*c.local);
    EXPECT_EQ(text(QVRArray::arrayByMergingWithArray(server, local ? &*local : nullptr)), c.merged);
  }
}

TEST(QVRArray, MergeComparesWithTheGivenEquality) {
  const std::vector<std::string> server{"One", "Two"};
  const std::vector<std::string> local{"one", "Three", "TWO"};
  EXPECT_EQ(QVRArray::arrayByMergingWithArray(server, local, CaseFolded{}, CaseFolded{}),
            (std::vector<std::string>{"One", "Three", "Two"}))
      << "shared elements keep the server's copy";
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

TEST(QVRArray, MergePropertiesAndTheBookOverRandomLists) {
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
    const std::string context =
        testing::PrintToString(server) + " + " + testing::PrintToString(local);
    ASSERT_EQ(merged, mergeByTheBook(server, local)) << context;

    // What the rule promises: every element of both once, the server's order, and each
    // local-only element after the elements before it in the local list.
    std::vector<int> unique;
    for (int element : server) {
      if (std::find(unique.begin(), unique.end(), element) == unique.end())
        unique.push_back(element);
    }
    const auto at = [&](int element) { return std::find(merged.begin(), merged.end(), element); };
    const auto inServer = [&](int element) {
      return std::find(server.begin(), server.end(), element) != server.end();
    };
    std::vector<int> serverOrder;
    std::copy_if(merged.begin(), merged.end(), std::back_inserter(serverOrder), inServer);
    ASSERT_EQ(serverOrder, unique) << context;
    std::set<int> both(server.begin(), server.end());
    both.insert(local.begin(), local.end());
    ASSERT_EQ(merged.size(), both.size()) << context;
    for (std::size_t i = 0; i < local.size(); ++i) {
      ASSERT_NE(at(local[i]), merged.end()) << context;
      const auto first = local.begin() + static_cast<std::ptrdiff_t>(i);
      if (inServer(local[i]) || std::find(local.begin(), first, local[i]) != first) continue;
      for (std::size_t j = 0; j < i; ++j) {
        ASSERT_LT(at(local[j]), at(local[i])) << context;
      }
    }
  }
}

}  // namespace
