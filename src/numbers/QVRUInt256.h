#pragma once

#include <array>
#include <compare>
#include <cstdint>

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
    return QVRUInt256(left).multipliedBy(right);
  }
  // 10^power for 0 <= power <= 77 (10^77 is the largest power below 2^256).
  static const QVRUInt256& powerOfTen(int power);

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
    const std::uint64_t factorLimbs[2] = {static_cast<std::uint64_t>(factor),
                                          static_cast<std::uint64_t>(factor >> 64)};
    QVRUInt256 result;
    for (int j = 0; j < 2; ++j) {
      if (factorLimbs[j] == 0) continue;
      QVRUInt128 carry = 0;
      for (int i = 0; i + j < 4; ++i) {
        const QVRUInt128 limb =
            QVRUInt128(_limbs[i]) * factorLimbs[j] + result._limbs[i + j] + carry;
        result._limbs[i + j] = static_cast<std::uint64_t>(limb);
        carry = limb >> 64;
      }
    }
    return result;
  }
  // The value times 10^power (0 <= power <= 77); the caller makes sure that it fits.
  QVRUInt256 multipliedByPowerOfTen(int power) const;

  // The quotient and remainder of the division by a divisor that is not zero.
  Division dividedBy(QVRUInt128 divisor) const;
  // The quotient by 10^power (power >= 0), rounded down.
  QVRUInt256 dividedByPowerOfTen(int power) const;

  // The number of significant bits (0 for zero).
  int bitWidth() const;
  // The number of decimal digits (0 for zero).
  int decimalDigitCount() const;

 private:
  std::array<std::uint64_t, 4> _limbs{};
};

struct QVRUInt256::Division {
  QVRUInt256 quotient;
  QVRUInt128 remainder = 0;
};
