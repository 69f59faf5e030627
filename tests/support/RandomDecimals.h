#pragma once

#include "numbers/QVRTallixDecimal.h"
#include "support/SeededRandom.h"

// Operands for the decimal property tests.
class RandomDecimals {
 public:
  RandomDecimals() = delete;

  // A random finite decimal: mantissas of every width (all nines, powers of ten, the widest and
  // tiny ones among them), exponents near zero, anywhere, or near the ends of the range.
  static QVRTallixDecimal any(SeededRandom& random);
  // A second operand: independent, or close to the first one (cancellation, carries, a small
  // addend within reach of the first one's digits).
  static QVRTallixDecimal partner(const QVRTallixDecimal& first, SeededRandom& random);
};
