#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "numbers/QVRNormalizedDivisor.h"
#include "numbers/QVRPowersOfTen.h"
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

// The corners include those where the quotient limb estimate reaches 2^64 − 1.
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

// The reciprocal of a shifted divisor d is floor((2^64k − 1) ÷ d) − 2^64 for k = 2 limbs of
// dividend per limb of divisor, checked with the digit oracle; the divisors include those that
// take each correction of the two-limb reciprocal.
TEST(QVRNormalizedDivisor, ReciprocalsAreExact) {
  const ExactInteger twoTo64 = ExactInteger::fromDigits("18446744073709551616");
  const ExactInteger twoTo128 = twoTo64 * twoTo64;
  const ExactInteger one = ExactInteger::fromDigits("1");
  // clang-format off
  std::vector<QVRUInt128> divisors = {1, 3, 10, ~0ull, QVRUInt128Max, QVRUInt128(1) << 127,
                                      limbs(0x8000000000000000, ~0ull), limbs(0x8000000000000001, ~0ull),
                                      limbs(0x8000000000000236, 0xa309b1a6ddfc1c08), limbs(0xde0730b3cc170c31, 0xfffffffffffffdf2),
                                      limbs(0xdfbf9edcfbda332e, ~0ull), limbs(0x8000000000000000, 0x7fffffffffffffff),
                                      limbs(~0ull, 2)};
  // clang-format on
  SeededRandom random(SeededRandom::testSeed(0x2EC1));
  for (int i = 0; i < 2000; ++i) {
    divisors.push_back(limbs(randomLimb(random), randomLimb(random)) >> random.between(0, 127));
  }
  for (int power = 1; power <= 38; ++power) divisors.push_back(QVRPowersOfTen::uint128(power));
  for (QVRUInt128 divisor : divisors) {
    if (divisor == 0) continue;
    const QVRNormalizedDivisor prepared = QVRNormalizedDivisor::of(divisor);
    const ExactInteger numerator = (prepared.hasOneLimb() ? twoTo128 : twoTo128 * twoTo64) - one;
    const ExactInteger expected =
        ExactInteger::divide(numerator, ExactInteger::fromMantissa(prepared.shifted())).first -
        twoTo64;
    ASSERT_EQ(ExactInteger::fromMantissa(prepared.reciprocal()), expected)
        << ExactInteger::fromMantissa(divisor).text();
  }
  // The one-limb reciprocal comes from a table estimate and Newton steps: checked against the
  // 128-bit division for every table entry's ends and many limbs between.
  std::vector<std::uint64_t> oneLimb = {1ull << 63, ~0ull, ~0ull - 1, (1ull << 63) + 1};
  for (std::uint64_t top = 256; top < 512; ++top) {
    oneLimb.insert(oneLimb.end(), {top << 55, (top << 55) + 1, (top << 55) + ((1ull << 55) - 1)});
  }
  for (int i = 0; i < 200'000; ++i) oneLimb.push_back(random.next() | (1ull << 63));
  for (std::uint64_t d : oneLimb) {
    const auto expected = static_cast<std::uint64_t>(QVRUInt128Max / d - (QVRUInt128(1) << 64));
    ASSERT_EQ(QVRNormalizedDivisor::of(d).reciprocal(), expected) << d;
  }
}

}  // namespace
