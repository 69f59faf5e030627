#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <iterator>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

// Additions to lists of the common services, on std::vector.
class QVRArray {
 public:
  QVRArray() = delete;

  // The elements in reverse order.
  template <class T>
  static std::vector<T> reversedArray(const std::vector<T>& array) {
    return std::vector<T>(array.rbegin(), array.rend());
  }

  // The first element that passes `test`, or none. The pointer points into `array`.
  template <class T, class Test>
  static const T* objectPassingTest(const std::vector<T>& array, Test test) {
    const auto found = std::find_if(array.begin(), array.end(), std::move(test));
    return found == array.end() ? nullptr : &*found;
  }
  template <class T, class Test>
  static const T* objectPassingTest(const std::vector<T>&& array, Test test) = delete;

  // Every element that passes `test`, in order.
  template <class T, class Test>
  static std::vector<T> objectsPassingTest(const std::vector<T>& array, Test test) {
    std::vector<T> passing;
    std::copy_if(array.begin(), array.end(), std::back_inserter(passing), std::move(test));
    return passing;
  }

  // Each element's result of `selector` (a function or a member), in order.
  template <class T, class Selector>
  static auto arrayByPerformingSelector(const std::vector<T>& array, Selector selector) {
    using Result = std::decay_t<std::invoke_result_t<Selector&, const T&>>;
    std::vector<Result> results;
    results.reserve(array.size());
    for (const T& element : array) results.push_back(std::invoke(selector, element));
    return results;
  }

  // Whether `array` begins with the elements of `prefix`, in order (by `equal`).
  template <class T, class Equal = std::equal_to<T>>
  static bool hasPrefix(const std::vector<T>& array, const std::vector<T>& prefix,
                        Equal equal = {}) {
    return prefix.size() <= array.size() &&
           std::equal(prefix.begin(), prefix.end(), array.begin(), std::move(equal));
  }

  // `server` (the server's list) merged with `local` (the local one); none counts as empty.
  // Every element of either list is kept exactly once, and the order of each list is respected
  // as far as the two agree:
  // 1. The server's elements come first, in their order (a repeated one at its first place).
  // 2. The local list is walked in order with a cursor into the result. A local element that
  //    the server also holds (an anchor) moves the cursor just past it and past the server-only
  //    elements that follow it, but never back: where the two lists order their shared elements
  //    differently, the server's order wins.
  // 3. A local element that the server lacks goes in at the cursor, which moves past it: it
  //    follows the local elements before it, and what both sides added after a shared element
  //    reads server's first, then local's. Local elements before the first anchor follow the
  //    server-only elements that open the list.
  // Elements are the same when `equal` says so, and `hash` must agree with it.
  //   server a b c d, local a b c e -> a b c d e;  server x a, local y a -> x y a;
  //   server a b, local b x a y -> a b x y;        server a c, local a b c -> a b c.
  // Since every insertion happens at the cursor, which only moves forward, a local element
  // always lands at the end of the run of local elements before the cursor's server element:
  // the merge keeps those runs beside the server's list and costs O(n + m).
  template <class T, class Hash = std::hash<T>, class Equal = std::equal_to<T>>
  static std::vector<T> arrayByMergingWithArray(const std::vector<T>& server,
                                                const std::vector<T>* local, Hash hash = {},
                                                Equal equal = {}) {
    // The sets hold pointers into the two lists and compare what they point to.
    const auto hashOf = [&hash](const T* element) { return hash(*element); };
    const auto same = [&equal](const T* a, const T* b) { return equal(*a, *b); };
    using Set = std::unordered_set<const T*, decltype(hashOf), decltype(same)>;
    using Map = std::unordered_map<const T*, std::size_t, decltype(hashOf), decltype(same)>;

    std::vector<const T*> unique;  // the server's elements, each once
    Map serverIndex(server.size(), hashOf, same);
    for (const T& element : server) {
      if (serverIndex.emplace(&element, unique.size()).second) unique.push_back(&element);
    }
    std::vector<std::pair<std::size_t, const T*>> insertions;  // (cursor, element), in order
    if (local && !local->empty()) {
      Set inLocal(local->size(), hashOf, same);
      for (const T& element : *local) inLocal.insert(&element);
      // The cursor stands before unique[cursor], after the local elements inserted there.
      std::size_t cursor = 0;
      const auto skipServerOnly = [&] {
        while (cursor < unique.size() && !inLocal.contains(unique[cursor])) ++cursor;
      };
      skipServerOnly();
      Set inserted(local->size(), hashOf, same);
      for (const T& element : *local) {
        if (const auto found = serverIndex.find(&element); found != serverIndex.end()) {
          if (found->second >= cursor) {
            cursor = found->second + 1;
            skipServerOnly();
          }
        } else if (inserted.insert(&element).second) {
          insertions.emplace_back(cursor, &element);
        }
      }
    }

    std::vector<T> merged;
    merged.reserve(unique.size() + insertions.size());
    auto next = insertions.begin();
    for (std::size_t index = 0; index <= unique.size(); ++index) {
      for (; next != insertions.end() && next->first == index; ++next) {
        merged.push_back(*next->second);
      }
      if (index < unique.size()) merged.push_back(*unique[index]);
    }
    return merged;
  }
  template <class T, class Hash = std::hash<T>, class Equal = std::equal_to<T>>
  static std::vector<T> arrayByMergingWithArray(const std::vector<T>& server,
                                                const std::vector<T>& local, Hash hash = {},
                                                Equal equal = {}) {
    return arrayByMergingWithArray(server, &local, std::move(hash), std::move(equal));
  }
};
