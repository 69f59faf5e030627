#include <gtest/gtest.h>

#include <array>
#include <string>

#include "numbers/QVRUInt256.h"
#include "support/ExactDecimal.h"
#include "support/SeededRandom.h"

namespace {

QVRUInt128 limbs(std::uint64_t high, std::uint64_t low) {
  return (QVRUInt128(high) << 64) | low;
}

QVRUInt256 fromLimbs(std::uint64_t l3, std::uint64_t l2, std::uint64_t l1, std::uint64_t l0) {
  return QVRUInt256::fromHighLow(limbs(l3, l2), limbs(l1, l0));
}

// A limb that exercises the division's corners: zero, one, all ones, the top bit alone, their
// neighbours, 10^19, or anything.
std::uint64_t randomLimb(SeededRandom& random) {
  // clang-format off
  constexpr std::array<std::uint64_t, 9> corners = {0, 1, 2, ~0ull, ~0ull - 1, 1ull << 63, (1ull << 63) - 1,
                                                    (1ull << 63) + 1, 0x8AC7230489E80000ull};
  // clang-format on
  const std::uint64_t choice = random.next() % 16;
  return choice < corners.size() ? corners[choice] : random.next();
}

// The digits of a 256-bit value through the decimal oracle: high × 2^128 + low.
ExactInteger exact(const QVRUInt256& value) {
  static const ExactInteger twoTo128 =
      ExactInteger::fromDigits("340282366920938463463374607431768211456");
  return ExactInteger::fromMantissa(value.high()) * twoTo128 +
         ExactInteger::fromMantissa(value.low());
}

// quotient × divisor + remainder = dividend: computed without wrapping (the quotient's high half
// times the divisor must fit 128 bits, and no sum may carry out of 256 bits), and now and then
// with the slow digit oracle.
void expectDivisionHolds(const QVRUInt256& dividend, QVRUInt128 divisor, bool withOracle,
                         const std::string& what) {
  const QVRUInt256::Division division = dividend.dividedBy(divisor);
  const QVRUInt256 lowPart = QVRUInt256::product(division.quotient.low(), divisor);
  const QVRUInt256 highPart = QVRUInt256::product(division.quotient.high(), divisor);
  const QVRUInt256 product = lowPart + QVRUInt256::fromHighLow(highPart.low(), 0);
  const QVRUInt256 total = product + QVRUInt256(division.remainder);
  ASSERT_TRUE(division.remainder < divisor && highPart.high() == 0 && product >= lowPart &&
              total >= product && total == dividend)
      << what;
  if (!withOracle) return;
  ASSERT_EQ(exact(division.quotient) * ExactInteger::fromMantissa(divisor) +
                ExactInteger::fromMantissa(division.remainder),
            exact(dividend))
      << what;
}

// The corners include those where the quotient limb estimate reaches 2^64 − 1. (The divisor's
// reciprocal and the powers of ten are checked through this and the decimal's oracle tests.)
TEST(QVRUInt256, DivisionSatisfiesQuotientTimesDivisorPlusRemainder) {
  const QVRUInt128 top = QVRUInt128(1) << 127;
  // clang-format off
  const std::pair<QVRUInt256, QVRUInt128> corners[] = {
      {fromLimbs(0x7fffffffffffffff, 2, 0x8000000000000001, ~0ull), limbs(0x7fffffffffffffff, 0x7fffffffffffffff)},
      {fromLimbs(0x8000000000000000, 0x7fffffffffffffff, 0x8000000000000001, ~0ull), limbs(0x8000000000000000, 0x8000000000000001)},
      {QVRUInt256::fromHighLow(QVRUInt128Max, QVRUInt128Max), QVRUInt128Max},
      {QVRUInt256::fromHighLow(QVRUInt128Max, QVRUInt128Max), top},
      {QVRUInt256::fromHighLow(QVRUInt128Max - 1, 1), QVRUInt128Max},  // (2^128 − 1)^2
      {QVRUInt256(5), QVRUInt128Max},
  };
  // clang-format on
  for (const auto& [dividend, divisor] : corners)
    expectDivisionHolds(dividend, divisor, true, "corner");
  const std::uint64_t seed = SeededRandom::testSeed(0xD1F1DE);
  SeededRandom random(seed);
  for (int i = 0; i < 100'000; ++i) {
    const QVRUInt256 dividend =
        fromLimbs(randomLimb(random), randomLimb(random), randomLimb(random), randomLimb(random));
    QVRUInt128 divisor = limbs(randomLimb(random), randomLimb(random));
    if (random.between(0, 3) == 0) divisor >>= random.between(0, 127);  // narrow ones too
    if (divisor == 0) divisor = 1;
    expectDivisionHolds(dividend, divisor, i % 100 == 0,
                        "seed " + std::to_string(seed) + ", case " + std::to_string(i));
  }
}

}  // namespace
