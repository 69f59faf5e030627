#pragma once

// How digits are dropped when a value is rounded.
enum class QVRTallixRoundingMode {
  plain,    // halves away from zero (the decimal arithmetic's rounding)
  bankers,  // halves to the even neighbour
  down,     // towards zero (truncation)
  up,       // away from zero
};

// Whether the kept digits go up by one unit, given the first dropped digit, whether any later
// dropped digit is not zero, and whether the last kept digit is odd.
constexpr bool QVRTallixRoundingModeRoundsUp(QVRTallixRoundingMode mode, int firstDroppedDigit,
                                             bool restIsNonZero, bool keptIsOdd) {
  switch (mode) {
    case QVRTallixRoundingMode::plain:
      return firstDroppedDigit >= 5;
    case QVRTallixRoundingMode::bankers:
      return firstDroppedDigit > 5 || (firstDroppedDigit == 5 && (restIsNonZero || keptIsOdd));
    case QVRTallixRoundingMode::down:
      return false;
    case QVRTallixRoundingMode::up:
      return firstDroppedDigit > 0 || restIsNonZero;
  }
  return false;
}
