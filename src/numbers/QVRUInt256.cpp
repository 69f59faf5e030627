#include "numbers/QVRUInt256.h"

#include <bit>

#include "numbers/QVRPowersOfTen.h"

namespace {

constexpr std::array<QVRUInt256, 78> powersOfTen = [] {
  std::array<QVRUInt256, 78> table{};
  table[0] = QVRUInt256(1);
  for (std::size_t i = 1; i < table.size(); ++i) table[i] = table[i - 1].multipliedBy(10);
  return table;
}();

// (high:low) ÷ divisor. The caller guarantees high < divisor, so that the quotient fits in
// 64 bits (on x86-64 a larger high part would fault).
inline std::uint64_t divideWide(std::uint64_t high, std::uint64_t low, std::uint64_t divisor,
                                std::uint64_t& remainder) {
#if defined(__x86_64__)
  std::uint64_t quotient;
  __asm__("divq %[divisor]"
          : "=a"(quotient), "=d"(remainder)
          : "a"(low), "d"(high), [divisor] "rm"(divisor)
          : "cc");
  return quotient;
#else
  const QVRUInt128 dividend = (QVRUInt128(high) << 64) | low;
  remainder = static_cast<std::uint64_t>(dividend % divisor);
  return static_cast<std::uint64_t>(dividend / divisor);
#endif
}

}  // namespace

const QVRUInt256& QVRUInt256::powerOfTen(int power) {
  return powersOfTen[static_cast<std::size_t>(power)];
}

QVRUInt256 QVRUInt256::multipliedByPowerOfTen(int power) const {
  QVRUInt256 product = *this;
  for (; power > 38; power -= 38) product = product.multipliedBy(QVRPowersOfTen::uint128(38));
  return product.multipliedBy(QVRPowersOfTen::uint128(power));
}

QVRUInt256::Division QVRUInt256::dividedBy(QVRUInt128 divisor) const {
  Division result;
  int count = 4;  // significant limbs of the dividend
  while (count > 0 && _limbs[count - 1] == 0) --count;
  const auto divisorHigh = static_cast<std::uint64_t>(divisor >> 64);
  const auto divisorLow = static_cast<std::uint64_t>(divisor);

  if (divisorHigh == 0) {
    // One-limb divisor: schoolbook division, limb by limb; the running remainder stays below
    // the divisor.
    std::uint64_t remainder = 0;
    for (int i = count - 1; i >= 0; --i) {
      result.quotient._limbs[i] = divideWide(remainder, _limbs[i], divisorLow, remainder);
    }
    result.remainder = remainder;
    return result;
  }
  if (count <= 2) {
    // Below 2^128: the division of the compiler's 128-bit type.
    result.quotient = QVRUInt256(low() / divisor);
    result.remainder = low() % divisor;
    return result;
  }

  // Two-limb divisor: Knuth's algorithm D. Divisor and dividend are shifted left until the
  // divisor's top bit is set; then a quotient limb estimated from the remainder's top two limbs
  // and the divisor's top limb is at most two too large, and the check against the divisor's
  // second limb makes it exact (with a two-limb divisor, that check sees the whole divisor).
  const int shift = std::countl_zero(divisorHigh);
  const QVRUInt128 v = divisor << shift;
  const auto v1 = static_cast<std::uint64_t>(v >> 64);
  const auto v0 = static_cast<std::uint64_t>(v);
  std::uint64_t u[5] = {};
  u[count] = shift == 0 ? 0 : _limbs[count - 1] >> (64 - shift);
  for (int i = count - 1; i > 0; --i) {
    u[i] = shift == 0 ? _limbs[i] : (_limbs[i] << shift) | (_limbs[i - 1] >> (64 - shift));
  }
  u[0] = _limbs[0] << shift;

  // The running remainder, always below v: the top two limbs start below 2^127 <= v.
  QVRUInt128 remainder = (QVRUInt128(u[count]) << 64) | u[count - 1];
  for (int j = count - 2; j >= 0; --j) {
    const auto r1 = static_cast<std::uint64_t>(remainder >> 64);
    const auto r0 = static_cast<std::uint64_t>(remainder);
    std::uint64_t estimate;
    QVRUInt128 estimateRemainder;  // (r1:r0) − estimate × v1
    if (r1 >= v1) {
      // r1 equals v1 (the remainder is below v): the estimate is 2^64 − 1.
      estimate = ~std::uint64_t(0);
      estimateRemainder = QVRUInt128(r0) + v1;
    } else {
      std::uint64_t rest;
      estimate = divideWide(r1, r0, v1, rest);
      estimateRemainder = rest;
    }
    while ((estimateRemainder >> 64) == 0 &&
           QVRUInt128(estimate) * v0 > ((estimateRemainder << 64) | u[j])) {
      --estimate;
      estimateRemainder += v1;
    }
    // The new remainder lies below v, so 128-bit arithmetic modulo 2^128 gives it exactly.
    remainder = ((QVRUInt128(r0) << 64) | u[j]) - QVRUInt128(estimate) * v;
    result.quotient._limbs[j] = estimate;
  }
  result.remainder = remainder >> shift;
  return result;
}

QVRUInt256 QVRUInt256::dividedByPowerOfTen(int power) const {
  // Every 256-bit value lies below 10^78.
  if (power >= 78) return QVRUInt256();
  QVRUInt256 quotient = *this;
  while (power > 38 && !quotient.isZero()) {
    quotient = quotient.dividedBy(QVRPowersOfTen::uint128(38)).quotient;
    power -= 38;
  }
  if (power > 0 && !quotient.isZero()) {
    quotient = quotient.dividedBy(QVRPowersOfTen::uint128(power)).quotient;
  }
  return quotient;
}

int QVRUInt256::bitWidth() const {
  for (int i = 3; i >= 0; --i) {
    if (_limbs[i] != 0) return 64 * i + 64 - std::countl_zero(_limbs[i]);
  }
  return 0;
}

int QVRUInt256::decimalDigitCount() const {
  const int bits = bitWidth();
  if (bits == 0) return 0;
  // 1233 / 4096 is just below log10(2); for every width up to 256 bits the estimate is the
  // count or one less.
  const int estimate = (bits * 1233) >> 12;
  return estimate + (*this >= powerOfTen(estimate) ? 1 : 0);
}
