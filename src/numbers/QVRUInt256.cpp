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
  if (power <= 38) return multipliedBy(QVRPowersOfTen::uint128(power));
  return multipliedBy(QVRPowersOfTen::uint128(38))
      .multipliedBy(QVRPowersOfTen::uint128(power - 38));
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

  // Two-limb divisor: Knuth's algorithm D. Shift divisor and dividend left until the divisor's
  // top bit is set; then each quotient limb estimated from the top two limbs is at most two
  // too large, and the estimate is corrected against the divisor's second limb.
  const int shift = std::countl_zero(divisorHigh);
  const std::uint64_t v1 =
      shift == 0 ? divisorHigh : (divisorHigh << shift) | (divisorLow >> (64 - shift));
  const std::uint64_t v0 = divisorLow << shift;
  std::uint64_t u[5] = {};
  u[count] = shift == 0 ? 0 : _limbs[count - 1] >> (64 - shift);
  for (int i = count - 1; i > 0; --i) {
    u[i] = shift == 0 ? _limbs[i] : (_limbs[i] << shift) | (_limbs[i - 1] >> (64 - shift));
  }
  u[0] = _limbs[0] << shift;

  for (int j = count - 2; j >= 0; --j) {
    std::uint64_t estimate;
    QVRUInt128 estimateRemainder;
    if (u[j + 2] >= v1) {
      // The top limb equals v1 (it never exceeds it): the estimate is 2^64 − 1.
      estimate = ~std::uint64_t(0);
      estimateRemainder = QVRUInt128(u[j + 1]) + v1;
    } else {
      std::uint64_t remainder;
      estimate = divideWide(u[j + 2], u[j + 1], v1, remainder);
      estimateRemainder = remainder;
    }
    while ((estimateRemainder >> 64) == 0 &&
           QVRUInt128(estimate) * v0 > ((estimateRemainder << 64) | u[j])) {
      --estimate;
      estimateRemainder += v1;
    }
    // u[j..j+2] −= estimate × (v1:v0).
    const QVRUInt128 lowProduct = QVRUInt128(estimate) * v0;
    const QVRUInt128 highProduct =
        QVRUInt128(estimate) * v1 + static_cast<std::uint64_t>(lowProduct >> 64);
    const auto p0 = static_cast<std::uint64_t>(lowProduct);
    const auto p1 = static_cast<std::uint64_t>(highProduct);
    const auto p2 = static_cast<std::uint64_t>(highProduct >> 64);
    std::uint64_t borrow = u[j] < p0 ? 1 : 0;
    u[j] -= p0;
    const std::uint64_t middle = u[j + 1] - p1;
    std::uint64_t nextBorrow = (u[j + 1] < p1 ? 1 : 0) + (middle < borrow ? 1 : 0);
    u[j + 1] = middle - borrow;
    borrow = nextBorrow;
    const std::uint64_t subtrahend = p2 + borrow;  // p2 <= 2^64 − 2: no wrap
    const bool negative = u[j + 2] < subtrahend;
    u[j + 2] -= subtrahend;
    if (negative) {
      // The estimate was one too large: add the divisor back.
      --estimate;
      const QVRUInt128 sum = QVRUInt128(u[j]) + v0;
      u[j] = static_cast<std::uint64_t>(sum);
      const QVRUInt128 sumMiddle =
          QVRUInt128(u[j + 1]) + v1 + static_cast<std::uint64_t>(sum >> 64);
      u[j + 1] = static_cast<std::uint64_t>(sumMiddle);
      u[j + 2] += static_cast<std::uint64_t>(sumMiddle >> 64);
    }
    result.quotient._limbs[j] = estimate;
  }
  const QVRUInt128 shiftedRemainder = (QVRUInt128(u[1]) << 64) | u[0];
  result.remainder = shiftedRemainder >> shift;
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
