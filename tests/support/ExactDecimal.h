#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <utility>

#include "numbers/QVRTallixDecimal.h"
#include "numbers/QVRTallixDecimalError.h"
#include "numbers/QVRUInt128.h"

// The exact reference of the decimal tests: integers as strings of decimal digits with
// schoolbook arithmetic. Slow and plain on purpose, and sharing no code with the decimal under
// test (no 128- or 256-bit arithmetic beyond reading a mantissa's digits).
class ExactInteger {
 public:
  ExactInteger() = default;  // zero
  // From decimal digits (leading zeros are dropped).
  static ExactInteger fromDigits(std::string digits);
  static ExactInteger fromMantissa(QVRUInt128 value);

  // Most significant first, without leading zeros; "" for zero.
  const std::string& digits() const { return _digits; }
  bool isZero() const { return _digits.empty(); }
  int digitCount() const { return static_cast<int>(_digits.size()); }
  std::string text() const { return isZero() ? "0" : _digits; }

  ExactInteger timesPowerOfTen(long long power) const;
  friend ExactInteger operator+(const ExactInteger& left, const ExactInteger& right);
  // left − right; left may not be below right.
  friend ExactInteger operator-(const ExactInteger& left, const ExactInteger& right);
  friend ExactInteger operator*(const ExactInteger& left, const ExactInteger& right);
  friend std::strong_ordering operator<=>(const ExactInteger& left, const ExactInteger& right);
  friend bool operator==(const ExactInteger& left, const ExactInteger& right) = default;
  // Quotient and remainder; the divisor may not be zero.
  static std::pair<ExactInteger, ExactInteger> divide(const ExactInteger& dividend,
                                                      const ExactInteger& divisor);

 private:
  std::string _digits;
};

// ±magnitude × 10^exponent, exactly.
struct ExactDecimal {
  bool negative = false;
  ExactInteger magnitude;
  long long exponent = 0;

  static ExactDecimal of(const QVRTallixDecimal& value);  // finite values only
  // A decimal text "[-]digits[.digits]e[±]digits", exactly.
  static ExactDecimal parse(const std::string& text);
  std::string text() const;

  friend ExactDecimal operator+(const ExactDecimal& left, const ExactDecimal& right);
  friend ExactDecimal operator-(const ExactDecimal& left, const ExactDecimal& right);
  friend ExactDecimal operator*(const ExactDecimal& left, const ExactDecimal& right);
  // left ÷ right cut (towards zero) to at least `digits` significant digits.
  static ExactDecimal truncatedQuotient(const ExactDecimal& left, const ExactDecimal& right,
                                        int digits);
  // −1, 0 or 1.
  static int order(const ExactDecimal& left, const ExactDecimal& right);
};

// What a decimal operation must give for an exact value: the value rounded plainly (halves away
// from zero) to the widest mantissa below 2^128 whose last digit is not below 10^−128, compact; or
// overflow beyond (2^128 − 1) × 10^127, or underflow for a value that rounds to zero. Plain
// rounding looks at the first dropped digit only, so a quotient cut to 41 or more digits gives
// the same outcome as the exact quotient.
struct ExpectedDecimal {
  QVRTallixDecimalError error = QVRTallixDecimalError::none;
  bool negative = false;
  ExactInteger mantissa;
  long long exponent = 0;

  static ExpectedDecimal of(const ExactDecimal& exact);
  std::string text() const;
  // Empty when `result` is this outcome, else a description of the difference.
  std::string mismatch(const QVRTallixDecimal::Result& result) const;
};
