#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "numbers/QVRTallixRoundingMode.h"
#include "numbers/QVRUInt128.h"

// A finite value in the form the text forms need: ASCII digits, most significant first, the
// exponent of the last digit and the sign; the value is ±digits × 10^exponent. Unlike the decimal,
// the exponent has no limit, so rounding for display never overflows. Zero is the one digit "0".
class QVRDecimalDigits {
 public:
  static constexpr int capacity = 40;

  // Zero.
  QVRDecimalDigits() : QVRDecimalDigits(false, 0, 0) {}
  // The digits of a mantissa: exactly its digits, trailing zeros included. Zero has no sign.
  QVRDecimalDigits(bool negative, QVRUInt128 mantissa, int exponent);

  std::string_view digits() const { return {_digits.data(), static_cast<std::size_t>(_count)}; }
  int count() const { return _count; }
  int exponent() const { return _exponent; }
  bool isNegative() const { return _negative; }
  bool isZero() const { return _count == 1 && _digits[0] == '0'; }
  // The exponent of the first digit: 2 for 123, −1 for 0.5.
  int leadingExponent() const { return _count - 1 + _exponent; }

  // Rounded to at most `significantDigits` digits; unchanged when it is 0 or less or when there
  // are no more digits than that. Trailing zeros are removed from a rounded result.
  QVRDecimalDigits roundedToSignificantDigits(int significantDigits,
                                              QVRTallixRoundingMode mode) const;
  // Rounded to `scale` digits after the decimal point (a negative scale rounds to tens, hundreds
  // and so on); unchanged when no digit lies beyond. Trailing zeros are removed from a rounded
  // result; a result of zero has no sign.
  QVRDecimalDigits roundedToScale(int scale, QVRTallixRoundingMode mode) const;

  friend bool operator==(const QVRDecimalDigits& left, const QVRDecimalDigits& right) {
    return left.digits() == right.digits() && left._exponent == right._exponent &&
           left._negative == right._negative;
  }

 private:
  // Drops the last `drop` digits (drop >= 1; more than there are leaves zero or one unit).
  QVRDecimalDigits droppingDigits(long long drop, QVRTallixRoundingMode mode) const;

  std::array<char, capacity> _digits{};
  int _count = 0;
  int _exponent = 0;
  bool _negative = false;
};
