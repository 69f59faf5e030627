#pragma once

#include <cmath>
#include <cstdlib>
#include <span>

#include "common/QVRPropertyList.h"

// Shared by the fuzz targets: comparing property lists after a trip through a writer, whose
// formats keep dates to the microsecond (binary) or the second (XML).
namespace FuzzPropertyLists {

inline bool same(const QVRPropertyList& left, const QVRPropertyList& right, double dateTolerance) {
  if (left.type() != right.type()) return false;
  if (const double* value = left.real()) {
    const double other = *right.real();
    return (std::isnan(*value) && std::isnan(other)) || *value == other;
  }
  if (const auto* date = left.date()) {
    return std::fabs(date->secondsSinceReferenceDate - right.date()->secondsSinceReferenceDate) <=
           dateTolerance;
  }
  if (const auto* elements = left.array()) {
    const auto& others = *right.array();
    if (elements->size() != others.size()) return false;
    for (std::size_t index = 0; index < elements->size(); ++index) {
      if (!same((*elements)[index], others[index], dateTolerance)) return false;
    }
    return true;
  }
  if (const auto* entries = left.dictionary()) {
    const auto& others = *right.dictionary();
    if (entries->size() != others.size()) return false;
    for (auto first = entries->begin(), second = others.begin(); first != entries->end();
         ++first, ++second) {
      if (first->first != second->first || !same(first->second, second->second, dateTolerance)) {
        return false;
      }
    }
    return true;
  }
  return left == right;
}

// The contract of every checked reader: a value or a reason, never both, never neither.
template <class Result>
void checkOutcome(const Result& result) {
  if (static_cast<bool>(result.value) == result.error.has_value()) std::abort();
}

}  // namespace FuzzPropertyLists
