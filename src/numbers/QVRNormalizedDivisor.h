#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "numbers/QVRPowersOfTen.h"
#include "numbers/QVRUInt128.h"

// A divisor of one or two 64-bit limbs prepared for division by multiplication (Möller and
// Granlund, "Improved division by invariant integers", 2011): shifted left until its top bit is
// set, with its reciprocal, so that each quotient limb costs a few multiplications instead of a
// hardware division. The powers of ten are prepared at compile time.
class QVRNormalizedDivisor {
 public:
  // The divisor prepared; it may not be zero.
  static constexpr QVRNormalizedDivisor of(QVRUInt128 divisor) {
    QVRNormalizedDivisor result;
    if (high64(divisor) == 0) {
      result._shift = std::countl_zero(low64(divisor));
      result._d0 = low64(divisor) << result._shift;
      result._reciprocal = reciprocalOfLimb(result._d0);
    } else {
      result._shift = std::countl_zero(high64(divisor));
      const QVRUInt128 shifted = divisor << result._shift;
      result._d1 = high64(shifted);
      result._d0 = low64(shifted);
      result._reciprocal = reciprocalOfTwoLimbs(result._d1, result._d0);
    }
    return result;
  }
  // 10^power prepared, for 1 <= power <= 38.
  static constexpr const QVRNormalizedDivisor& powerOfTen(int power);

  // How far the divisor was shifted left.
  constexpr int shift() const { return _shift; }
  constexpr bool hasOneLimb() const { return _d1 == 0; }
  // The shifted divisor.
  constexpr QVRUInt128 shifted() const { return join(_d1, _d0); }
  // floor((2^128 − 1) ÷ d) − 2^64 for one limb d, floor((2^192 − 1) ÷ d) − 2^64 for two.
  constexpr std::uint64_t reciprocal() const { return _reciprocal; }

  // (u1:u0) ÷ the one-limb divisor, for u1 below it.
  constexpr std::uint64_t divideTwoByOne(std::uint64_t u1, std::uint64_t u0,
                                         std::uint64_t& remainder) const {
    const QVRUInt128 q = QVRUInt128(_reciprocal) * u1 + join(u1 + 1, u0);
    std::uint64_t q1 = high64(q);
    std::uint64_t r = u0 - q1 * _d0;
    if (r > low64(q)) {
      --q1;
      r += _d0;
    }
    if (r >= _d0) {
      ++q1;
      r -= _d0;
    }
    remainder = r;
    return q1;
  }

  // (u2:u1:u0) ÷ the two-limb divisor, for (u2:u1) below it.
  constexpr std::uint64_t divideThreeByTwo(std::uint64_t u2, std::uint64_t u1, std::uint64_t u0,
                                           QVRUInt128& remainder) const {
    const QVRUInt128 d = join(_d1, _d0);
    const QVRUInt128 q = QVRUInt128(_reciprocal) * u2 + join(u2, u1);
    std::uint64_t q1 = high64(q);
    const std::uint64_t r1 = u1 - _d1 * q1;
    QVRUInt128 r = join(r1, u0) - d - QVRUInt128(_d0) * q1;
    ++q1;
    if (high64(r) >= low64(q)) {
      --q1;
      r += d;
    }
    if (r >= d) {
      ++q1;
      r -= d;
    }
    remainder = r;
    return q1;
  }

 private:
  static constexpr std::uint64_t high64(QVRUInt128 value) {
    return static_cast<std::uint64_t>(value >> 64);
  }
  static constexpr std::uint64_t low64(QVRUInt128 value) {
    return static_cast<std::uint64_t>(value);
  }
  static constexpr QVRUInt128 join(std::uint64_t high, std::uint64_t low) {
    return (QVRUInt128(high) << 64) | low;
  }

  // floor((2^128 − 1) ÷ d) − 2^64 for a limb d whose top bit is set, without a division: an
  // 11-bit estimate from a table, refined by Newton steps to the exact value (Möller and Granlund's
  // algorithm 3).
  static constexpr std::uint64_t reciprocalOfLimb(std::uint64_t d) {
    const std::uint64_t d0 = d & 1;
    const std::uint64_t d9 = d >> 55;
    const std::uint64_t d40 = (d >> 24) + 1;
    const std::uint64_t d63 = (d >> 1) + d0;  // ⌈d ÷ 2⌉
    const std::uint64_t v0 = reciprocalEstimates()[d9 - 256];
    const std::uint64_t v1 = (v0 << 11) - ((v0 * v0 * d40) >> 40) - 1;
    const std::uint64_t v2 = (v1 << 13) + ((v1 * ((std::uint64_t(1) << 60) - v1 * d40)) >> 47);
    // 2^96 − v2 × d63 + ⌊v2 ÷ 2⌋ × d0 lies below 2^64: computed modulo 2^64.
    const std::uint64_t e = ((v2 >> 1) & (0 - d0)) - v2 * d63;
    const std::uint64_t v3 = (v2 << 31) + static_cast<std::uint64_t>((QVRUInt128(v2) * e) >> 65);
    // v3 − ⌊(v3 + 2^64 + 1) × d ÷ 2^64⌋, modulo 2^64.
    return v3 - static_cast<std::uint64_t>((QVRUInt128(v3) * d + d) >> 64) - d;
  }
  // ⌊(2^19 − 3 × 2^8) ÷ d9⌋ for the top nine bits d9 of a limb, from 256 to 511.
  static constexpr const std::array<std::uint16_t, 256>& reciprocalEstimates();

  // floor((2^192 − 1) ÷ (d1:d0)) − 2^64 for d1's top bit set.
  static constexpr std::uint64_t reciprocalOfTwoLimbs(std::uint64_t d1, std::uint64_t d0) {
    std::uint64_t v = reciprocalOfLimb(d1);
    std::uint64_t p = d1 * v + d0;
    if (p < d0) {
      --v;
      if (p >= d1) {
        --v;
        p -= d1;
      }
      p -= d1;
    }
    const QVRUInt128 t = QVRUInt128(v) * d0;
    p += high64(t);
    if (p < high64(t)) {
      --v;
      if (p > d1 || (p == d1 && low64(t) >= d0)) --v;
    }
    return v;
  }

  int _shift = 0;
  std::uint64_t _d1 = 0;
  std::uint64_t _d0 = 0;
  std::uint64_t _reciprocal = 0;
};

namespace tallix::detail {

inline constexpr std::array<std::uint16_t, 256> reciprocalEstimates = [] {
  std::array<std::uint16_t, 256> table{};
  for (unsigned d9 = 256; d9 < 512; ++d9) {
    table[d9 - 256] = static_cast<std::uint16_t>(((1u << 19) - 3 * (1u << 8)) / d9);
  }
  return table;
}();

}  // namespace tallix::detail

constexpr const std::array<std::uint16_t, 256>& QVRNormalizedDivisor::reciprocalEstimates() {
  return tallix::detail::reciprocalEstimates;
}

namespace tallix::detail {

inline constexpr std::array<QVRNormalizedDivisor, 39> powerOfTenDivisors = [] {
  std::array<QVRNormalizedDivisor, 39> table{};
  for (int power = 1; power <= 38; ++power) {
    table[static_cast<std::size_t>(power)] =
        QVRNormalizedDivisor::of(QVRPowersOfTen::uint128(power));
  }
  return table;
}();

}  // namespace tallix::detail

constexpr const QVRNormalizedDivisor& QVRNormalizedDivisor::powerOfTen(int power) {
  return tallix::detail::powerOfTenDivisors[static_cast<std::size_t>(power)];
}
