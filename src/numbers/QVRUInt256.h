#pragma once

#include <array>
#include <bit>
#include <compare>
#include <cstdint>

#include "numbers/QVRNormalizedDivisor.h"
#include "numbers/QVRUInt128.h"

// An unsigned 256-bit integer: the working width of the decimal arithmetic, wide enough for the
// product of two mantissas and for a mantissa scaled by up to 10^77. Four 64-bit limbs, least
// significant first. Sums, differences and products wrap around modulo 2^256; callers that need
// the exact value make sure that it fits.
class QVRUInt256 {
 public:
  struct Division;

  constexpr QVRUInt256() = default;
  constexpr explicit QVRUInt256(QVRUInt128 value)
      : _limbs{static_cast<std::uint64_t>(value), static_cast<std::uint64_t>(value >> 64), 0, 0} {}
  static constexpr QVRUInt256 fromHighLow(QVRUInt128 high, QVRUInt128 low) {
    QVRUInt256 result(low);
    result._limbs[2] = static_cast<std::uint64_t>(high);
    result._limbs[3] = static_cast<std::uint64_t>(high >> 64);
    return result;
  }
  // The full product of two 128-bit factors.
  static constexpr QVRUInt256 product(QVRUInt128 left, QVRUInt128 right) {
    const auto a0 = static_cast<std::uint64_t>(left);
    const auto a1 = static_cast<std::uint64_t>(left >> 64);
    const auto b0 = static_cast<std::uint64_t>(right);
    const auto b1 = static_cast<std::uint64_t>(right >> 64);
    const QVRUInt128 p00 = QVRUInt128(a0) * b0;
    const QVRUInt128 p01 = QVRUInt128(a0) * b1;
    const QVRUInt128 p10 = QVRUInt128(a1) * b0;
    const QVRUInt128 p11 = QVRUInt128(a1) * b1;
    // The middle column: the high half of p00 and the low halves of p01 and p10.
    const QVRUInt128 middle =
        (p00 >> 64) + static_cast<std::uint64_t>(p01) + static_cast<std::uint64_t>(p10);
    QVRUInt256 result;
    result._limbs[0] = static_cast<std::uint64_t>(p00);
    result._limbs[1] = static_cast<std::uint64_t>(middle);
    const QVRUInt128 high = p11 + (p01 >> 64) + (p10 >> 64) + (middle >> 64);
    result._limbs[2] = static_cast<std::uint64_t>(high);
    result._limbs[3] = static_cast<std::uint64_t>(high >> 64);
    return result;
  }
  // 10^power for 0 <= power <= 77 (10^77 is the largest power below 2^256).
  static constexpr const QVRUInt256& powerOfTen(int power);

  constexpr QVRUInt128 low() const { return (QVRUInt128(_limbs[1]) << 64) | _limbs[0]; }
  constexpr QVRUInt128 high() const { return (QVRUInt128(_limbs[3]) << 64) | _limbs[2]; }
  constexpr bool isZero() const { return (_limbs[0] | _limbs[1] | _limbs[2] | _limbs[3]) == 0; }
  constexpr bool fitsIn128() const { return (_limbs[2] | _limbs[3]) == 0; }

  friend constexpr bool operator==(const QVRUInt256&, const QVRUInt256&) = default;
  friend constexpr std::strong_ordering operator<=>(const QVRUInt256& left,
                                                    const QVRUInt256& right) {
    for (int i = 3; i >= 0; --i) {
      if (left._limbs[i] != right._limbs[i]) return left._limbs[i] <=> right._limbs[i];
    }
    return std::strong_ordering::equal;
  }

  friend constexpr QVRUInt256 operator+(const QVRUInt256& left, const QVRUInt256& right) {
    QVRUInt256 sum;
    QVRUInt128 carry = 0;
    for (int i = 0; i < 4; ++i) {
      const QVRUInt128 limb = QVRUInt128(left._limbs[i]) + right._limbs[i] + carry;
      sum._limbs[i] = static_cast<std::uint64_t>(limb);
      carry = limb >> 64;
    }
    return sum;
  }
  friend constexpr QVRUInt256 operator-(const QVRUInt256& left, const QVRUInt256& right) {
    QVRUInt256 difference;
    std::uint64_t borrow = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint64_t subtrahend = right._limbs[i] + borrow;
      const bool wrapped = subtrahend < borrow;  // right limb was all ones and borrow 1
      difference._limbs[i] = left._limbs[i] - subtrahend;
      borrow = (wrapped || left._limbs[i] < subtrahend) ? 1 : 0;
    }
    return difference;
  }

  // The product with a 128-bit factor, modulo 2^256.
  constexpr QVRUInt256 multipliedBy(QVRUInt128 factor) const {
    // low × factor in full, plus high × factor shifted up by 128 bits (only its low half counts).
    QVRUInt256 result = product(low(), factor);
    const QVRUInt128 upper = high() * factor + result.high();
    result._limbs[2] = static_cast<std::uint64_t>(upper);
    result._limbs[3] = static_cast<std::uint64_t>(upper >> 64);
    return result;
  }
  // The value times 10^power (0 <= power <= 77); the caller makes sure that it fits.
  QVRUInt256 multipliedByPowerOfTen(int power) const;

  // The quotient and remainder of the division by a divisor that is not zero.
  constexpr Division dividedBy(QVRUInt128 divisor) const;
  constexpr Division dividedBy(const QVRNormalizedDivisor& divisor) const;
  // The quotient by 10^power (power >= 0), rounded down.
  constexpr QVRUInt256 dividedByPowerOfTen(int power) const;

  // The number of significant bits (0 for zero).
  constexpr int bitWidth() const {
    for (int i = 3; i >= 0; --i) {
      if (_limbs[i] != 0) return 64 * i + 64 - std::countl_zero(_limbs[i]);
    }
    return 0;
  }
  // The number of decimal digits (0 for zero).
  constexpr int decimalDigitCount() const;

 private:
  std::array<std::uint64_t, 4> _limbs{};
};

struct QVRUInt256::Division {
  QVRUInt256 quotient;
  QVRUInt128 remainder = 0;
};

namespace tallix::detail {

// 10^0 … 10^77.
inline constexpr std::array<QVRUInt256, 78> powersOfTen256 = [] {
  std::array<QVRUInt256, 78> table{};
  table[0] = QVRUInt256(1);
  for (std::size_t i = 1; i < table.size(); ++i) table[i] = table[i - 1].multipliedBy(10);
  return table;
}();

}  // namespace tallix::detail

constexpr const QVRUInt256& QVRUInt256::powerOfTen(int power) {
  return tallix::detail::powersOfTen256[static_cast<std::size_t>(power)];
}

constexpr int QVRUInt256::decimalDigitCount() const {
  const int bits = bitWidth();
  if (bits == 0) return 0;
  // 1233 / 4096 is just below log10(2); for every width up to 256 bits the estimate is the
  // count or one less.
  const int estimate = (bits * 1233) >> 12;
  return estimate + (*this >= powerOfTen(estimate) ? 1 : 0);
}

constexpr QVRUInt256::Division QVRUInt256::dividedBy(QVRUInt128 divisor) const {
  return dividedBy(QVRNormalizedDivisor::of(divisor));
}

constexpr QVRUInt256::Division QVRUInt256::dividedBy(const QVRNormalizedDivisor& divisor) const {
  Division result;
  int count = 4;  // significant limbs of the dividend
  while (count > 0 && _limbs[count - 1] == 0) --count;
  if (count == 0) return result;
  // The dividend shifted like the divisor, one limb longer.
  const int shift = divisor.shift();
  std::uint64_t u[5] = {};
  u[count] = shift == 0 ? 0 : _limbs[count - 1] >> (64 - shift);
  for (int i = count - 1; i > 0; --i) {
    u[i] = shift == 0 ? _limbs[i] : (_limbs[i] << shift) | (_limbs[i - 1] >> (64 - shift));
  }
  u[0] = _limbs[0] << shift;

  if (divisor.hasOneLimb()) {
    // The running remainder starts with the bits shifted out, below 2^63 <= the divisor.
    std::uint64_t remainder = u[count];
    int j = count - 1;
    if (remainder == 0 && u[j] < divisor.shifted()) remainder = u[j--];  // a top quotient limb 0
    for (; j >= 0; --j)
      result.quotient._limbs[j] = divisor.divideTwoByOne(remainder, u[j], remainder);
    result.remainder = remainder >> shift;
    return result;
  }
  // The running remainder starts with the top two limbs, below 2^127 <= the divisor.
  QVRUInt128 remainder = (QVRUInt128(u[count]) << 64) | u[count - 1];
  int j = count - 2;
  if (j >= 0 && u[count] == 0 && ((QVRUInt128(u[count - 1]) << 64) | u[j]) < divisor.shifted()) {
    // A top quotient limb of zero (the usual case: quotients below 2^128) costs nothing.
    remainder = (QVRUInt128(u[count - 1]) << 64) | u[j--];
  }
  for (; j >= 0; --j) {
    result.quotient._limbs[j] =
        divisor.divideThreeByTwo(static_cast<std::uint64_t>(remainder >> 64),
                                 static_cast<std::uint64_t>(remainder), u[j], remainder);
  }
  result.remainder = remainder >> shift;
  return result;
}

constexpr QVRUInt256 QVRUInt256::dividedByPowerOfTen(int power) const {
  // Every 256-bit value lies below 10^78.
  if (power >= 78) return QVRUInt256();
  if (power <= 38) {
    return power == 0 ? *this : dividedBy(QVRNormalizedDivisor::powerOfTen(power)).quotient;
  }
  QVRUInt256 quotient = dividedBy(QVRNormalizedDivisor::powerOfTen(38)).quotient;
  return quotient.dividedByPowerOfTen(power - 38);
}
