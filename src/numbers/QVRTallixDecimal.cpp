#include "numbers/QVRTallixDecimal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <ostream>

#include "numbers/QVRDecimalDigits.h"
#include "numbers/QVRDecimalScanner.h"
#include "numbers/QVRPowersOfTen.h"
#include "numbers/QVRUInt256.h"

namespace {

using Result = QVRTallixDecimal::Result;

constexpr Result failure(QVRTallixDecimalError error) {
  return {QVRTallixDecimal::zero(), error};
}

// The inverse of an odd number modulo 2^128 (Newton's iteration doubles the correct bits).
constexpr QVRUInt128 inverseModulo2To128(QVRUInt128 odd) {
  QVRUInt128 inverse = odd;  // correct to 3 bits: odd × odd ≡ 1 (mod 8)
  for (int i = 0; i < 6; ++i) inverse *= 2 - odd * inverse;
  return inverse;
}

// Removing `power` trailing zeros: m is a multiple of 10^power exactly when its low `power` bits
// are zero and (m >> power) × (5^power)^−1 mod 2^128 is at most (2^128 − 1) ÷ 5^power, which is
// then the quotient (divisibility by multiplication, after Granlund and Montgomery).
struct ZeroStep {
  int power;
  QVRUInt128 inverse;
  QVRUInt128 limit;
};

constexpr ZeroStep zeroStep(int power) {
  QVRUInt128 fivePower = 1;
  for (int i = 0; i < power; ++i) fivePower *= 5;
  return {power, inverseModulo2To128(fivePower), QVRUInt128Max / fivePower};
}

constexpr std::array<ZeroStep, 5> zeroSteps = {zeroStep(16), zeroStep(8), zeroStep(4), zeroStep(2),
                                               zeroStep(1)};
static_assert(zeroSteps[4].inverse * 5 == 1);

// For a mantissa of d digits (1 to 39), the largest one that 10^(78 − d) keeps below 2^256:
// (2^256 − 1) ÷ 10^(78 − d), below 2^128 since 78 − d >= 39.
constexpr std::array<QVRUInt128, 40> largestScalableBy = [] {
  std::array<QVRUInt128, 40> table{};
  const QVRUInt256 largest = QVRUInt256::fromHighLow(QVRUInt128Max, QVRUInt128Max);
  for (int digits = 1; digits <= 39; ++digits) {
    table[static_cast<std::size_t>(digits)] = largest.dividedByPowerOfTen(78 - digits).low();
  }
  return table;
}();

// 5 × 10^k for k from 0 to 76: half a unit of the last kept digit when k + 1 digits are dropped.
constexpr std::array<QVRUInt256, 77> fivePowers = [] {
  std::array<QVRUInt256, 77> table{};
  for (std::size_t k = 0; k < table.size(); ++k) {
    table[k] = QVRUInt256::powerOfTen(static_cast<int>(k)).multipliedBy(5);
  }
  return table;
}();

}  // namespace

// Making values

QVRTallixDecimal QVRTallixDecimal::compacted(bool negative, QVRUInt128 mantissa, int exponent) {
  QVRTallixDecimal value;
  if (mantissa == 0) return value;
  value._negative = negative;
  // Most mantissas end in no zero: they are odd, or no multiple of 5 (2^64 ≡ 1 modulo 5, so the
  // two halves' remainders add up).
  const auto low = static_cast<std::uint64_t>(mantissa);
  const auto high = static_cast<std::uint64_t>(mantissa >> 64);
  if ((low & 1) == 0 && (low % 5 + high % 5) % 5 == 0) {
    for (const ZeroStep& step : zeroSteps) {
      const std::uint64_t lowBits = (std::uint64_t(1) << step.power) - 1;
      while (exponent + step.power <= maximumExponent &&
             (static_cast<std::uint64_t>(mantissa) & lowBits) == 0) {
        const QVRUInt128 quotient = (mantissa >> step.power) * step.inverse;
        if (quotient > step.limit) break;
        mantissa = quotient;
        exponent += step.power;
      }
    }
  }
  value._mantissa = mantissa;
  value._exponent = static_cast<std::int16_t>(exponent);
  return value;
}

QVRTallixDecimal::Result QVRTallixDecimal::normalized(bool negative, const QVRUInt256& value,
                                                      int exponent, bool remainderRoundsUp) {
  const bool exponentInRange = exponent >= minimumExponent && exponent <= maximumExponent;
  if (value.fitsIn128() && exponentInRange &&
      !(remainderRoundsUp && value.low() == QVRUInt128Max)) {
    // Nothing to drop.
    return {compacted(negative, value.low() + (remainderRoundsUp ? 1 : 0), exponent)};
  }
  if (value.isZero()) {
    if (!remainderRoundsUp) return {zero()};
    return normalized(negative, QVRUInt256(1), exponent);
  }
  const int digits = value.decimalDigitCount();
  // Drop the digits beyond the 39th, and one more when the rounded value would reach 2^128:
  // value + ½ × 10^drop reaches 2^128 × 10^drop exactly when its high half reaches 10^drop.
  int drop = std::max(digits - 39, 0);
  if (drop == 0) {
    if (!value.fitsIn128() || (remainderRoundsUp && value.low() == QVRUInt128Max)) drop = 1;
  } else if (drop <= 38 && (value + fivePowers[drop - 1]).high() >= QVRPowersOfTen::uint128(drop)) {
    ++drop;
  }
  // The last digit kept may not lie below 10^−128; this drop leaves fewer digits, all of which fit.
  drop = std::max(drop, minimumExponent - exponent);

  QVRUInt128 mantissa;
  if (drop == 0) {
    mantissa = value.low() + (remainderRoundsUp ? 1 : 0);
  } else if (drop > digits) {
    mantissa = 0;
  } else if (drop == digits) {
    // Only the first digit decides: 5 or more rounds up to one unit. (A 78-digit value lies
    // below 2^256 < 5 × 10^77.)
    mantissa = digits <= 77 && value >= fivePowers[digits - 1] ? 1 : 0;
  } else if (drop <= 38) {
    // Plain rounding: add half a unit of the last kept digit, then cut. The value has at most 77
    // digits here (78 would drop 39 or more), so the sum fits.
    mantissa = (value + fivePowers[drop - 1]).dividedByPowerOfTen(drop).low();
  } else {
    // Cut to the digit after the last kept one, then round on that digit.
    const QVRUInt256::Division last = value.dividedByPowerOfTen(drop - 1).dividedBy(10);
    mantissa = last.quotient.low() + (last.remainder >= 5 ? 1 : 0);
  }
  if (mantissa == 0) return failure(QVRTallixDecimalError::underflow);

  int newExponent = exponent + drop;
  if (newExponent > maximumExponent) {
    // Too high an exponent: widen the mantissa instead, while it fits.
    const int widen = newExponent - maximumExponent;
    if (widen > 38 || mantissa > QVRUInt128Max / QVRPowersOfTen::uint128(widen)) {
      return failure(QVRTallixDecimalError::overflow);
    }
    mantissa *= QVRPowersOfTen::uint128(widen);
    newExponent = maximumExponent;
  }
  return {compacted(negative, mantissa, newExponent)};
}

QVRTallixDecimal::Result QVRTallixDecimal::make(bool negative, const QVRUInt256& mantissa,
                                                std::int64_t exponent) {
  if (mantissa.isZero()) return {zero()};
  // Beyond these the value certainly overflows (at least 10^166), or lies below half of
  // 10^−128 (a mantissa below 10^78 times at most 10^−208).
  if (exponent > 165) return failure(QVRTallixDecimalError::overflow);
  if (exponent < -208) return failure(QVRTallixDecimalError::underflow);
  return normalized(negative, mantissa, static_cast<int>(exponent));
}

QVRTallixDecimal::Result QVRTallixDecimal::make(bool negative, QVRUInt128 mantissa,
                                                std::int64_t exponent) {
  if (mantissa != 0 && exponent >= minimumExponent && exponent <= maximumExponent) {
    return {compacted(negative, mantissa, static_cast<int>(exponent))};
  }
  return make(negative, QVRUInt256(mantissa), exponent);
}

std::optional<QVRTallixDecimal> QVRTallixDecimal::fromString(std::string_view text,
                                                             std::string_view decimalSeparator,
                                                             bool requiresWholeText) {
  QVRDecimalScanner scanner(text, decimalSeparator);
  std::optional<QVRTallixDecimal> value = scanner.scanNumber();
  if (requiresWholeText && !scanner.isAtEnd()) return std::nullopt;
  return value;
}

QVRTallixDecimal QVRTallixDecimal::fromDouble(double value) {
  if (!std::isfinite(value)) return nan();
  if (value == 0) return zero();
  // The shortest text that reads back as the double, in scientific form: "-1.2345e+02".
  std::array<char, 64> text;
  const std::to_chars_result written =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::scientific);
  const char* cursor = text.data();
  const char* const end = written.ptr;
  const bool negative = cursor < end && *cursor == '-';
  if (negative) ++cursor;
  std::uint64_t mantissa = 0;  // at most 17 digits
  int fractionDigits = 0;
  bool inFraction = false;
  for (; cursor < end && *cursor != 'e'; ++cursor) {
    if (*cursor == '.') {
      inFraction = true;
    } else {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*cursor - '0');
      if (inFraction) ++fractionDigits;
    }
  }
  int exponent = 0;
  if (cursor < end) std::from_chars(cursor + 1 + (cursor[1] == '+' ? 1 : 0), end, exponent);
  const Result result = make(negative, QVRUInt128(mantissa), exponent - fractionDigits);
  if (result.error == QVRTallixDecimalError::overflow) return nan();
  return result.value;  // zero on underflow
}

// Arithmetic

QVRTallixDecimal::Result QVRTallixDecimal::add(const QVRTallixDecimal& left,
                                               const QVRTallixDecimal& right) {
  if (left._isNaN || right._isNaN) return {nan()};
  if (left._mantissa == 0) return {right};
  if (right._mantissa == 0) return {left};
  const bool leftIsBig = left._exponent >= right._exponent;
  const QVRTallixDecimal& big = leftIsBig ? left : right;
  const QVRTallixDecimal& small = leftIsBig ? right : left;
  const int distance = big._exponent - small._exponent;

  if (distance == 0) {
    // The same exponent: 128-bit arithmetic, a carry at most.
    if (big._negative == small._negative) {
      const QVRUInt128 sum = big._mantissa + small._mantissa;
      if (sum >= big._mantissa) return {compacted(big._negative, sum, big._exponent)};
      return normalized(big._negative, QVRUInt256::fromHighLow(1, sum), big._exponent);
    }
    if (big._mantissa == small._mantissa) return {zero()};
    const bool bigIsLarger = big._mantissa > small._mantissa;
    return {
        compacted(bigIsLarger ? big._negative : small._negative,
                  bigIsLarger ? big._mantissa - small._mantissa : small._mantissa - big._mantissa,
                  big._exponent)};
  }

  // Scale the operand with the larger exponent up as far as 76 digits allow (the sum of two such
  // values still fits 256 bits). The other operand is then exact, or it is cut to whole units of
  // that scale: with at least 75 digits in the result and 36 or more of them dropped, what was
  // cut cannot change the rounding, as long as a difference is taken one unit lower.
  const int shift = std::min(distance, 76 - QVRPowersOfTen::digitCount(big._mantissa));
  const QVRUInt256 scaledBig = QVRUInt256(big._mantissa).multipliedByPowerOfTen(shift);
  const int exponent = big._exponent - shift;
  const int smallShift = distance - shift;
  QVRUInt256 scaledSmall;
  bool inexact = false;
  if (smallShift == 0) {
    scaledSmall = QVRUInt256(small._mantissa);
  } else if (smallShift >= 39) {
    inexact = true;  // the whole mantissa lies below one unit
  } else {
    const QVRUInt128 unit = QVRPowersOfTen::uint128(smallShift);
    scaledSmall = QVRUInt256(small._mantissa / unit);
    inexact = small._mantissa % unit != 0;
  }
  if (big._negative == small._negative) {
    return normalized(big._negative, scaledBig + scaledSmall, exponent);
  }
  if (scaledSmall < scaledBig) {
    QVRUInt256 difference = scaledBig - scaledSmall;
    if (inexact) difference = difference - QVRUInt256(1);
    return normalized(big._negative, difference, exponent);
  }
  if (scaledBig < scaledSmall) {
    return normalized(small._negative, scaledSmall - scaledBig, exponent);
  }
  return {zero()};
}

QVRTallixDecimal::Result QVRTallixDecimal::subtract(const QVRTallixDecimal& left,
                                                    const QVRTallixDecimal& right) {
  return add(left, right.negated());
}

QVRTallixDecimal::Result QVRTallixDecimal::multiply(const QVRTallixDecimal& left,
                                                    const QVRTallixDecimal& right) {
  if (left._isNaN || right._isNaN) return {nan()};
  if (left._mantissa == 0 || right._mantissa == 0) return {zero()};
  const bool negative = left._negative != right._negative;
  const int exponent = left._exponent + right._exponent;
  const QVRUInt256 product = QVRUInt256::product(left._mantissa, right._mantissa);
  if (product.fitsIn128() && exponent >= minimumExponent && exponent <= maximumExponent) {
    return {compacted(negative, product.low(), exponent)};
  }
  return normalized(negative, product, exponent);
}

QVRTallixDecimal::Result QVRTallixDecimal::divide(const QVRTallixDecimal& left,
                                                  const QVRTallixDecimal& right) {
  if (left._isNaN || right._isNaN) return {nan()};
  if (right._mantissa == 0) return failure(QVRTallixDecimalError::divideByZero);
  if (left._mantissa == 0) return {zero()};
  // Scale the dividend as high as 256 bits allow: then it is at least (2^256 + 4) ÷ 10, and the
  // exact quotient by a divisor below 2^128 exceeds (2^128 + 1) ÷ 10. One more digit would reach
  // 2^128, so the quotient's own digits, rounded by the remainder, are the widest mantissa.
  const int digits = QVRPowersOfTen::digitCount(left._mantissa);
  const int scale = 77 - digits + (left._mantissa <= largestScalableBy[digits] ? 1 : 0);
  const QVRUInt256 dividend = QVRUInt256::powerOfTen(scale).multipliedBy(left._mantissa);
  const QVRUInt256::Division division = dividend.dividedBy(right._mantissa);
  const int exponent = left._exponent - right._exponent - scale;
  const bool remainderRoundsUp = division.remainder >= right._mantissa - division.remainder;
  const bool negative = left._negative != right._negative;
  if (division.quotient.fitsIn128() && exponent >= minimumExponent && exponent <= maximumExponent &&
      division.quotient.low() != QVRUInt128Max) {
    // The usual case: the quotient's digits are the mantissa, rounded by the remainder.
    return {compacted(negative, division.quotient.low() + (remainderRoundsUp ? 1 : 0), exponent)};
  }
  return normalized(negative, division.quotient, exponent, remainderRoundsUp);
}

QVRTallixDecimal QVRTallixDecimal::rounded(int scale, QVRTallixRoundingMode mode) const {
  const std::int64_t unitExponent = -std::int64_t(scale);
  if (_isNaN || _mantissa == 0 || _exponent >= unitExponent) return *this;
  const std::int64_t drop = unitExponent - _exponent;
  const int digits = QVRPowersOfTen::digitCount(_mantissa);
  QVRUInt128 kept;
  if (drop > digits) {
    // Every digit is dropped, and the first dropped one is a leading zero.
    kept = QVRTallixRoundingModeRoundsUp(mode, 0, true, false) ? 1 : 0;
  } else {
    const QVRUInt128 restUnit = QVRPowersOfTen::uint128(static_cast<int>(drop) - 1);
    const QVRUInt128 truncated = _mantissa / restUnit;
    kept = truncated / 10;
    const auto digit = static_cast<int>(truncated % 10);
    if (QVRTallixRoundingModeRoundsUp(mode, digit, _mantissa % restUnit != 0, (kept & 1) != 0)) {
      ++kept;  // kept has at most 38 digits: no wrap
    }
  }
  if (kept == 0) return zero();
  const Result result = make(_negative, kept, unitExponent);
  return result.ok() ? result.value : nan();
}

QVRComparisonResult QVRTallixDecimal::compare(const QVRTallixDecimal& left,
                                              const QVRTallixDecimal& right) {
  using enum QVRComparisonResult;
  if (left._isNaN || right._isNaN) {
    if (left._isNaN && right._isNaN) return orderedSame;
    return left._isNaN ? orderedAscending : orderedDescending;
  }
  if (left._negative != right._negative)
    return left._negative ? orderedAscending : orderedDescending;
  // The same sign: compare the magnitudes, and mirror the answer for negative values.
  const QVRComparisonResult below = left._negative ? orderedDescending : orderedAscending;
  const QVRComparisonResult above = left._negative ? orderedAscending : orderedDescending;
  if (left._mantissa == 0 || right._mantissa == 0) {
    if (left._mantissa == right._mantissa) return orderedSame;
    return left._mantissa == 0 ? below : above;
  }
  const int leftLead = QVRPowersOfTen::digitCount(left._mantissa) + left._exponent;
  const int rightLead = QVRPowersOfTen::digitCount(right._mantissa) + right._exponent;
  if (leftLead != rightLead) return leftLead < rightLead ? below : above;
  // The same leading position: align the exponents (they differ by less than 39).
  QVRUInt256 leftValue(left._mantissa);
  QVRUInt256 rightValue(right._mantissa);
  if (left._exponent > right._exponent) {
    leftValue = leftValue.multipliedByPowerOfTen(left._exponent - right._exponent);
  } else if (right._exponent > left._exponent) {
    rightValue = rightValue.multipliedByPowerOfTen(right._exponent - left._exponent);
  }
  if (leftValue == rightValue) return orderedSame;
  return leftValue < rightValue ? below : above;
}

// Conversions

double QVRTallixDecimal::doubleValue() const {
  if (_isNaN) return std::nan("");
  if (_mantissa == 0) return 0;
  const double sign = _negative ? -1 : 1;
  if (_mantissa < (QVRUInt128(1) << 53) && _exponent >= -22 && _exponent <= 22) {
    // Both factors are exact doubles: one correctly rounded operation.
    const auto significand = static_cast<double>(_mantissa);
    return sign * (_exponent >= 0 ? significand * QVRPowersOfTen::float64(_exponent)
                                  : significand / QVRPowersOfTen::float64(-_exponent));
  }
  // Correctly rounded from the digits and the exponent as text ("12345e-67").
  const QVRDecimalDigits mantissaDigits = digits();
  std::array<char, 64> text;
  char* cursor =
      std::copy(mantissaDigits.digits().begin(), mantissaDigits.digits().end(), text.data());
  *cursor++ = 'e';
  cursor = std::to_chars(cursor, text.data() + text.size(), int(_exponent)).ptr;
  double magnitude = 0;
  const std::from_chars_result read = std::from_chars(text.data(), cursor, magnitude);
  if (read.ec != std::errc())
    magnitude = std::strtod(std::string(text.data(), cursor).c_str(), nullptr);
  return sign * magnitude;
}

std::string QVRTallixDecimal::description() const {
  if (_isNaN) return "NaN";
  if (_mantissa == 0) return "0";
  const QVRDecimalDigits mantissaDigits = digits();
  const std::string_view digitText = mantissaDigits.digits();
  std::string text;
  text.reserve(digitText.size() + 4 + static_cast<std::size_t>(std::abs(_exponent)));
  if (_negative) text += '-';
  if (_exponent >= 0) {
    text += digitText;
    text.append(static_cast<std::size_t>(_exponent), '0');
  } else {
    const auto fraction = static_cast<std::size_t>(-_exponent);
    if (digitText.size() > fraction) {
      text += digitText.substr(0, digitText.size() - fraction);
      text += '.';
      text += digitText.substr(digitText.size() - fraction);
    } else {
      text += "0.";
      text.append(fraction - digitText.size(), '0');
      text += digitText;
    }
  }
  return text;
}

QVRDecimalDigits QVRTallixDecimal::digits() const {
  return QVRDecimalDigits(_negative, _mantissa, _exponent);
}

void PrintTo(const QVRTallixDecimal& value, std::ostream* stream) {
  *stream << value.description();
}

void PrintTo(const QVRTallixDecimal::Result& result, std::ostream* stream) {
  switch (result.error) {
    case QVRTallixDecimalError::none:
      *stream << result.value.description();
      return;
    case QVRTallixDecimalError::overflow:
      *stream << "overflow";
      return;
    case QVRTallixDecimalError::underflow:
      *stream << "underflow";
      return;
    case QVRTallixDecimalError::divideByZero:
      *stream << "division by zero";
      return;
  }
}
