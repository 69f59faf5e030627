#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

// The kinds of edit that turn one list into another; the values are stored.
enum QVRTallixArrayMergeActionType : std::uint64_t {
  // A run present in both lists: nothing to do.
  QVRTallixArrayMergeActionTypeMove = 0,
  // Source elements replaced one for one by target elements.
  QVRTallixArrayMergeActionTypeModify = 1,
  // Target elements inserted into the source.
  QVRTallixArrayMergeActionTypeInsert = 2,
  // Source elements removed.
  QVRTallixArrayMergeActionTypeDelete = 3,
};

// One edit found by QVRTallixArrayMerger: its type and the ranges of the source and the target
// it concerns. A plain record of values.
class QVRTallixArrayMergeAction {
 public:
  // The location of a range that points nowhere: the largest signed 64-bit value.
  static constexpr std::uint64_t notFound = 0x7FFF'FFFF'FFFF'FFFF;

  // A run of positions, as the platform's range pair.
  struct Range {
    std::uint64_t location = 0;
    std::uint64_t length = 0;

    // "{location, length}".
    std::string description() const;
    friend bool operator==(const Range&, const Range&) = default;
  };

  // The indexes of one range; those at or beyond `notFound` cannot be held and are left out.
  class IndexSet {
   public:
    explicit IndexSet(Range range);

    std::uint64_t count() const { return _count; }
    bool isEmpty() const { return _count == 0; }
    bool containsIndex(std::uint64_t index) const {
      return index >= _first && index - _first < _count;
    }
    std::optional<std::uint64_t> firstIndex() const;
    std::optional<std::uint64_t> lastIndex() const;
    friend bool operator==(const IndexSet&, const IndexSet&) = default;

   private:
    std::uint64_t _first = 0;
    std::uint64_t _count = 0;
  };

  QVRTallixArrayMergeAction() = default;
  QVRTallixArrayMergeAction(std::uint64_t type, Range sourceRange, Range targetRange)
      : _type(type), _sourceRange(sourceRange), _targetRange(targetRange) {}

  std::uint64_t type() const { return _type; }
  void setType(std::uint64_t type) { _type = type; }
  Range sourceRange() const { return _sourceRange; }
  void setSourceRange(Range range) { _sourceRange = range; }
  Range targetRange() const { return _targetRange; }
  void setTargetRange(Range range) { _targetRange = range; }
  IndexSet sourceIndexSet() const { return IndexSet(_sourceRange); }
  IndexSet targetIndexSet() const { return IndexSet(_targetRange); }

  // "Move (ignore) from {s, n} to t", "Modify from {t, n} to {s, n}", "Insert from {t, n} at s",
  // "Delete at {s, n}"; empty for a type of no known value.
  std::string description() const;

  friend bool operator==(const QVRTallixArrayMergeAction&,
                         const QVRTallixArrayMergeAction&) = default;
  friend void PrintTo(const QVRTallixArrayMergeAction& action, std::ostream* stream);

 private:
  std::uint64_t _type = QVRTallixArrayMergeActionTypeMove;
  Range _sourceRange;
  Range _targetRange;
};
