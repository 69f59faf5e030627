#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include <fmt/format.h>

#include "cloud/QVRTallixArrayMergeAction.h"
#include "common/QVRArray.h"
#include "common/QVRException.h"
#include "common/QVRLogger.h"

// Compares two versions of a list, a source and a target, and finds the edits that turn the
// source into the target: the runs both lists share stay (Move, nothing to do), and each stretch
// between two shared runs becomes a Modify, an Insert or a Delete. Elements match when they are
// the same object (the same element of the same list) or when `equal` says so; `equal` may raise
// QVRException, which makes the whole answer none.
//
// The longest shared run of two ranges is searched in a table of counters, one per pair of
// elements, in the order source element by source element, target element by target element,
// so that among equally long runs the one that starts first in the source, then in the target,
// wins; then the stretches before and after it are searched the same way. Each search costs
// time proportional to the product of the two lengths; only two columns of the table are kept,
// which gives the same runs with memory proportional to the target's length. If they cannot be
// allocated, the two ranges count as sharing nothing. The stretches are worked through with a
// list of their own rather than by recursion, so long lists cannot exhaust the stack.
//
// The lists are referred to, not copied: they must outlive the merger.
template <class T, class Equal = std::equal_to<T>>
class QVRTallixArrayMerger {
 public:
  using Range = QVRTallixArrayMergeAction::Range;
  using Actions = std::vector<QVRTallixArrayMergeAction>;

  // None counts as an empty list.
  QVRTallixArrayMerger(const std::vector<T>* source, const std::vector<T>* target, Equal equal = {})
      : _sourceArray(source), _targetArray(target), _equal(std::move(equal)) {}

  static std::optional<Actions> mergeActionsFromSource(const std::vector<T>* source,
                                                       const std::vector<T>* target,
                                                       Equal equal = {}) {
    return QVRTallixArrayMerger(source, target, std::move(equal)).mergeActions();
  }
  static std::optional<Actions> mergeActionsFromSource(const std::vector<T>& source,
                                                       const std::vector<T>& target,
                                                       Equal equal = {}) {
    return mergeActionsFromSource(&source, &target, std::move(equal));
  }

  // The actions for the whole of both lists, the one at the highest positions first, so that
  // applying them in order to a copy of the source gives the target; none after a failure.
  std::optional<Actions> mergeActions() const {
    try {
      return QVRArray::reversedArray(
          _mergeActionsSourceRange({0, sourceCount()}, {0, targetCount()}));
    } catch (const QVRException& exception) {
      QVRLogger::logException(exception, "Failed to merge " + describe(_sourceArray) + " with " +
                                             describe(_targetArray));
      return std::nullopt;
    }
  }

 private:
  std::uint64_t sourceCount() const { return _sourceArray ? _sourceArray->size() : 0; }
  std::uint64_t targetCount() const { return _targetArray ? _targetArray->size() : 0; }

  bool matches(std::uint64_t sourceIndex, std::uint64_t targetIndex) const {
    const T& source = (*_sourceArray)[static_cast<std::size_t>(sourceIndex)];
    const T& target = (*_targetArray)[static_cast<std::size_t>(targetIndex)];
    return &source == &target || std::invoke(_equal, source, target);
  }

  // The longest run shared by the two ranges; both out ranges {notFound, 0} when there is none.
  void _longestCommonRange(Range sourceRange, Range targetRange, Range& commonSourceRange,
                           Range& commonTargetRange) const {
    commonSourceRange = {QVRTallixArrayMergeAction::notFound, 0};
    commonTargetRange = {QVRTallixArrayMergeAction::notFound, 0};
    const std::uint64_t n = sourceRange.length;
    const std::uint64_t m = targetRange.length;
    if (n == 0 || m == 0) return;
    // Column i of the table holds, in row j + 1, the length of the run that ends with source
    // element i and target element j.
    if (m >= std::size_t(-1) / 2 / sizeof(std::uint64_t) - 1) return;
    const std::size_t rows = static_cast<std::size_t>(m) + 1;
    std::unique_ptr<std::uint64_t[]> table(new (std::nothrow) std::uint64_t[2 * rows]());
    if (!table) return;
    std::uint64_t* previous = table.get();
    std::uint64_t* current = table.get() + rows;
    std::uint64_t longest = 0;
    for (std::uint64_t i = 0; i < n; ++i) {
      current[0] = 0;
      for (std::uint64_t j = 0; j < m; ++j) {
        if (!matches(sourceRange.location + i, targetRange.location + j)) {
          current[j + 1] = 0;
          continue;
        }
        const std::uint64_t v = previous[j];
        current[j + 1] = v + 1;
        if (v + 1 > longest) {
          longest = v + 1;
          commonSourceRange = {sourceRange.location + i - v, v + 1};
          commonTargetRange = {targetRange.location + j - v, v + 1};
        }
      }
      std::swap(previous, current);
    }
  }

  // The actions for the two ranges, in ascending order of position.
  Actions _mergeActionsSourceRange(Range sourceRange, Range targetRange) const {
    using Work = std::variant<std::pair<Range, Range>, QVRTallixArrayMergeAction>;
    Actions actions;
    std::vector<Work> work{std::pair(sourceRange, targetRange)};
    while (!work.empty()) {
      Work next = std::move(work.back());
      work.pop_back();
      if (auto* action = std::get_if<QVRTallixArrayMergeAction>(&next)) {
        actions.push_back(*action);
        continue;
      }
      const auto [source, target] = std::get<std::pair<Range, Range>>(next);
      Range commonSource;
      Range commonTarget;
      _longestCommonRange(source, target, commonSource, commonTarget);
      const std::uint64_t k = commonSource.length;
      if (k > 0) {
        // Worked through last first: the stretch before the run, the run, the stretch after.
        work.emplace_back(
            std::pair(Range{commonSource.location + k,
                            source.location + source.length - commonSource.location - k},
                      Range{commonTarget.location + k,
                            target.location + target.length - commonTarget.location - k}));
        work.emplace_back(QVRTallixArrayMergeAction(QVRTallixArrayMergeActionTypeMove, commonSource,
                                                    commonTarget));
        work.emplace_back(
            std::pair(Range{source.location, commonSource.location - source.location},
                      Range{target.location, commonTarget.location - target.location}));
        continue;
      }
      const std::uint64_t n = source.length;
      const std::uint64_t m = target.length;
      const std::uint64_t p = std::min(n, m);
      if (p > 0) {
        actions.emplace_back(QVRTallixArrayMergeActionTypeModify, Range{source.location, p},
                             Range{target.location, p});
      }
      if (n > m) {
        actions.emplace_back(QVRTallixArrayMergeActionTypeDelete, Range{source.location + p, n - p},
                             Range{QVRTallixArrayMergeAction::notFound, 0});
      } else if (n < m) {
        actions.emplace_back(QVRTallixArrayMergeActionTypeInsert, Range{source.location + p, m - p},
                             Range{target.location + p, m - p});
      }
    }
    return actions;
  }

  // "(a, b)" for the log line of a failed merge; "(null)" for no list.
  static std::string describe(const std::vector<T>* list) {
    if (!list) return "(null)";
    std::string text = "(";
    for (const T& element : *list) {
      if (text.size() > 1) text += ", ";
      text += describeElement(element);
    }
    return text + ")";
  }

  template <class U>
  static std::string describeElement(const U& element) {
    if constexpr (requires { element.description(); }) {
      return std::string(element.description());
    } else if constexpr (requires { element->description(); }) {
      return element ? std::string(element->description()) : "(null)";
    } else if constexpr (std::is_convertible_v<const U&, std::string_view>) {
      return std::string(std::string_view(element));
    } else if constexpr (std::is_arithmetic_v<U>) {
      return fmt::format("{}", element);
    } else {
      return "<element>";
    }
  }

  const std::vector<T>* _sourceArray;
  const std::vector<T>* _targetArray;
  Equal _equal;
};
