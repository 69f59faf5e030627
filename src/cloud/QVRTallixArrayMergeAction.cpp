#include "cloud/QVRTallixArrayMergeAction.h"

#include <fmt/format.h>

#include <algorithm>
#include <ostream>

std::string QVRTallixArrayMergeAction::Range::description() const {
  return fmt::format("{{{}, {}}}", location, length);
}

QVRTallixArrayMergeAction::IndexSet::IndexSet(Range range) {
  if (range.location >= notFound) return;
  _first = range.location;
  _count = std::min(range.length, notFound - range.location);
}

std::optional<std::uint64_t> QVRTallixArrayMergeAction::IndexSet::firstIndex() const {
  if (_count == 0) return std::nullopt;
  return _first;
}

std::optional<std::uint64_t> QVRTallixArrayMergeAction::IndexSet::lastIndex() const {
  if (_count == 0) return std::nullopt;
  return _first + (_count - 1);
}

std::string QVRTallixArrayMergeAction::description() const {
  switch (_type) {
    case QVRTallixArrayMergeActionTypeMove:
      return fmt::format("Move (ignore) from {} to {}", _sourceRange.description(),
                         _targetRange.location);
    case QVRTallixArrayMergeActionTypeModify:
      return fmt::format("Modify from {} to {}", _targetRange.description(),
                         _sourceRange.description());
    case QVRTallixArrayMergeActionTypeInsert:
      return fmt::format("Insert from {} at {}", _targetRange.description(), _sourceRange.location);
    case QVRTallixArrayMergeActionTypeDelete:
      return fmt::format("Delete at {}", _sourceRange.description());
    default:
      return {};
  }
}

void PrintTo(const QVRTallixArrayMergeAction& action, std::ostream* stream) {
  *stream << "type " << action.type() << " source " << action.sourceRange().description()
          << " target " << action.targetRange().description();
}
