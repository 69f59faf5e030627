#pragma once

// The ordering answered by the compare operations: the receiver (or left operand) is below,
// the same as, or above the other.
enum class QVRComparisonResult : int {
  orderedAscending = -1,
  orderedSame = 0,
  orderedDescending = 1,
};
