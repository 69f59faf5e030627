#pragma once

#include <concepts>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "numbers/QVRComparisonResult.h"
#include "numbers/QVRDecimalDigits.h"
#include "numbers/QVRTallixDecimalError.h"
#include "numbers/QVRTallixRoundingMode.h"
#include "numbers/QVRUInt128.h"

class QVRUInt256;

// The decimal value of the calculator: ±mantissa × 10^exponent with a mantissa below 2^128
// (38 or 39 digits), an exponent from −128 to 127, and a distinct not-a-number.
//
// Results are rounded plainly (halves away from zero) to the widest mantissa below 2^128, and
// not below 10^−128; a loss of precision is no error, while overflow, underflow and division by
// zero are reported as an error code, so the arithmetic neither allocates nor throws. Values are
// kept compact (no trailing zero in the mantissa unless the exponent is at its top), so each value
// has exactly one representation and == compares values. Zero and not-a-number have no sign.
class QVRTallixDecimal {
  // Integer helpers of the constructor, defined before it for constant evaluation.
  template <std::integral Integer>
  static constexpr bool isBelowZero(Integer value) {
    if constexpr (std::signed_integral<Integer>) {
      return value < 0;
    } else {
      return false;
    }
  }
  template <std::integral Integer>
  static constexpr std::uint64_t magnitudeOf(Integer value) {
    static_assert(sizeof(Integer) <= sizeof(std::uint64_t));
    // Through the unsigned type, so that the most negative value has a magnitude too.
    const auto bits = static_cast<std::uint64_t>(value);
    return isBelowZero(value) ? std::uint64_t(0) - bits : bits;
  }

 public:
  static constexpr int minimumExponent = -128;
  static constexpr int maximumExponent = 127;

  // A value or, when the operation failed, an error code (and zero as the value).
  struct Result;

  // Zero.
  constexpr QVRTallixDecimal() = default;
  // The value of an integer.
  template <std::integral Integer>
  requires(!std::same_as<Integer, bool>) constexpr explicit QVRTallixDecimal(Integer value)
      : _negative(isBelowZero(value)) {
    // Integers have at most 64 bits: compacted in 64-bit arithmetic.
    std::uint64_t magnitude = magnitudeOf(value);
    while (magnitude != 0 && magnitude % 10 == 0) {
      magnitude /= 10;
      ++_exponent;
    }
    _mantissa = magnitude;
    if (magnitude == 0) _exponent = 0;
  }

  static constexpr QVRTallixDecimal zero() { return QVRTallixDecimal(); }
  static constexpr QVRTallixDecimal one() { return QVRTallixDecimal(1); }
  static constexpr QVRTallixDecimal nan() {
    QVRTallixDecimal value;
    value._isNaN = true;
    return value;
  }

  // ±mantissa × 10^exponent, rounded and range-checked like an arithmetic result.
  static Result make(bool negative, QVRUInt128 mantissa, std::int64_t exponent);
  static Result make(bool negative, const QVRUInt256& mantissa, std::int64_t exponent);

  // Reads a number at the start of text: leading blanks (ASCII and Unicode white space), an
  // optional sign, digits with at most one decimal separator (any text; an empty one never
  // matches), and an optional exponent ("e" or "E", optional sign, digits; a lone "e" is left
  // unread). The digits are rounded once, plainly. None when no digit was read, when the value is
  // too large, or, with requiresWholeText, when anything follows the number; a value too small
  // reads as zero.
  static std::optional<QVRTallixDecimal> fromString(std::string_view text,
                                                    std::string_view decimalSeparator = ".",
                                                    bool requiresWholeText = false);
  // The decimal of a double through its shortest round-trip text (0.1 gives exactly 0.1).
  // Not-a-number for NaN, the infinities and doubles beyond the range (above about 3.4e165);
  // zero for doubles too small for it.
  static QVRTallixDecimal fromDouble(double value);

  constexpr bool isNaN() const { return _isNaN; }
  constexpr bool isZero() const { return !_isNaN && _mantissa == 0; }
  constexpr bool isNegative() const { return _negative; }
  constexpr QVRUInt128 mantissa() const { return _mantissa; }
  constexpr int exponent() const { return _exponent; }

  // The value with the other sign (zero and not-a-number stay as they are).
  constexpr QVRTallixDecimal negated() const {
    QVRTallixDecimal value = *this;
    value._negative = !_negative && _mantissa != 0;
    return value;
  }
  constexpr QVRTallixDecimal magnitude() const {
    QVRTallixDecimal value = *this;
    value._negative = false;
    return value;
  }

  static Result add(const QVRTallixDecimal& left, const QVRTallixDecimal& right);
  static Result subtract(const QVRTallixDecimal& left, const QVRTallixDecimal& right);
  static Result multiply(const QVRTallixDecimal& left, const QVRTallixDecimal& right);
  static Result divide(const QVRTallixDecimal& left, const QVRTallixDecimal& right);

  // The value rounded to `scale` digits after the decimal point (a negative scale rounds to tens,
  // hundreds and so on). Never fails for scale >= −127; beyond that, a result too large for the
  // decimal is not-a-number.
  QVRTallixDecimal rounded(int scale, QVRTallixRoundingMode mode) const;

  // The order of two values; not-a-number comes before every number and is the same as itself.
  static QVRComparisonResult compare(const QVRTallixDecimal& left, const QVRTallixDecimal& right);
  friend constexpr bool operator==(const QVRTallixDecimal&, const QVRTallixDecimal&) = default;

  // The nearest double (NaN for not-a-number).
  double doubleValue() const;
  // Plain notation: "2.5", "-0.001", "1000", "0", or "NaN".
  std::string description() const;
  // The digits of the mantissa with the exponent and the sign, for the text forms.
  QVRDecimalDigits digits() const;

 private:
  // ±mantissa × 10^exponent (exponent within the range) without trailing zeros in the mantissa
  // while the exponent allows.
  static QVRTallixDecimal compacted(bool negative, QVRUInt128 mantissa, int exponent);
  // ±value × 10^exponent rounded to the widest mantissa below 2^128 (not below 10^−128) and
  // range-checked. remainderRoundsUp: what lies below value's last digit is at least half of it.
  static Result normalized(bool negative, const QVRUInt256& value, int exponent,
                           bool remainderRoundsUp = false);

  QVRUInt128 _mantissa = 0;
  std::int16_t _exponent = 0;
  bool _negative = false;
  bool _isNaN = false;
};

struct [[nodiscard]] QVRTallixDecimal::Result {
  QVRTallixDecimal value;
  QVRTallixDecimalError error = QVRTallixDecimalError::none;

  constexpr bool ok() const { return error == QVRTallixDecimalError::none; }
  friend constexpr bool operator==(const Result&, const Result&) = default;
};

// For readable test failures.
void PrintTo(const QVRTallixDecimal& value, std::ostream* stream);
void PrintTo(const QVRTallixDecimal::Result& result, std::ostream* stream);
