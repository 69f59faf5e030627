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

QVRUInt256 fromLimbs(std::uint64_t l3, std::uint64_t l2, std::uint64_t l1, std::uint64_t l0) {
  return QVRUInt256::fromHighLow((QVRUInt128(l3) << 64) | l2, (QVRUInt128(l1) << 64) | l0);
}

// A limb that exercises the division's corners: zero, one, all ones, the top bit alone, their
// neighbours, or anything.
std::uint64_t randomLimb(SeededRandom& random) {
  constexpr std::array<std::uint64_t, 9> corners = {0,
                                                    1,
                                                    2,
                                                    ~0ull,
                                                    ~0ull - 1,
                                                    1ull << 63,
                                                    (1ull << 63) - 1,
                                                    (1ull << 63) + 1,
                                                    0x8AC7230489E80000ull};
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

TEST(QVRUInt256, DivisionSatisfiesQuotientTimesDivisorPlusRemainder) {
  const std::uint64_t seed = SeededRandom::testSeed(0xD1F1DE);
  SeededRandom random(seed);
  for (int i = 0; i < 100'000; ++i) {
    const QVRUInt256 dividend =
        fromLimbs(randomLimb(random), randomLimb(random), randomLimb(random), randomLimb(random));
    QVRUInt128 divisor = (QVRUInt128(randomLimb(random)) << 64) | randomLimb(random);
    if (random.between(0, 3) == 0) divisor >>= random.between(0, 127);  // narrow ones too
    if (divisor == 0) divisor = 1;
    const QVRUInt256::Division division = dividend.dividedBy(divisor);
    // quotient × divisor + remainder, computed without wrapping: the quotient's high half times
    // the divisor must fit 128 bits, and no sum may carry out of 256 bits.
    const QVRUInt256 lowPart = QVRUInt256::product(division.quotient.low(), divisor);
    const QVRUInt256 highPart = QVRUInt256::product(division.quotient.high(), divisor);
    const QVRUInt256 shiftedHigh = QVRUInt256::fromHighLow(highPart.low(), 0);
    const QVRUInt256 product = lowPart + shiftedHigh;
    const QVRUInt256 total = product + QVRUInt256(division.remainder);
    const bool holds = division.remainder < divisor && highPart.high() == 0 && product >= lowPart &&
                       total >= product && total == dividend;
    ASSERT_TRUE(holds) << "seed " << seed << ", case " << i;
    if (i % 100 == 0) {
      ASSERT_EQ(exact(division.quotient) * ExactInteger::fromMantissa(divisor) +
                    ExactInteger::fromMantissa(division.remainder),
                exact(dividend))
          << "seed " << seed << ", case " << i;
    }
  }
}

TEST(QVRUInt256, DivisionCornerCases) {
  struct Case {
    QVRUInt256 dividend;
    QVRUInt128 divisor;
  };
  const QVRUInt128 top = QVRUInt128(1) << 127;
  const Case cases[] = {
      // The quotient limb estimate reaches 2^64 − 1 (the remainder's top limb equals the
      // divisor's).
      {fromLimbs(0x7fffffffffffffff, 0x0000000000000002, 0x8000000000000001, ~0ull),
       (QVRUInt128(0x7fffffffffffffff) << 64) | 0x7fffffffffffffff},
      {fromLimbs(0x8000000000000000, 0x7fffffffffffffff, 0x8000000000000001, ~0ull),
       (QVRUInt128(0x8000000000000000) << 64) | 0x8000000000000001},
      {QVRUInt256::fromHighLow(QVRUInt128Max, QVRUInt128Max), QVRUInt128Max},
      {QVRUInt256::fromHighLow(QVRUInt128Max, QVRUInt128Max), top},
      {QVRUInt256::fromHighLow(QVRUInt128Max, QVRUInt128Max), 1},
      {QVRUInt256::fromHighLow(QVRUInt128Max - 1, 1), QVRUInt128Max},  // (2^128 − 1)^2
      {QVRUInt256(QVRUInt128Max), QVRUInt128Max},
      {QVRUInt256(5), QVRUInt128Max},
      {QVRUInt256::fromHighLow(1, 0), (QVRUInt128(1) << 64)},
  };
  for (const Case& c : cases) {
    const QVRUInt256::Division division = c.dividend.dividedBy(c.divisor);
    EXPECT_LT(division.remainder, c.divisor);
    EXPECT_EQ(exact(division.quotient) * ExactInteger::fromMantissa(c.divisor) +
                  ExactInteger::fromMantissa(division.remainder),
              exact(c.dividend));
  }
}

// The reciprocal of a shifted divisor d is floor((2^64k − 1) ÷ d) − 2^64 for k = 2 limbs of
// dividend per limb of divisor, checked with the digit oracle; the divisors include those that
// take each correction of the two-limb reciprocal.
TEST(QVRNormalizedDivisor, ReciprocalsAreExact) {
  const ExactInteger twoTo64 = ExactInteger::fromDigits("18446744073709551616");
  const ExactInteger twoTo128 = twoTo64 * twoTo64;
  const ExactInteger one = ExactInteger::fromDigits("1");
  std::vector<QVRUInt128> divisors = {1,
                                      3,
                                      10,
                                      0x8000000000000000,
                                      ~0ull,
                                      QVRUInt128Max,
                                      QVRUInt128(1) << 64,
                                      QVRUInt128(1) << 127,
                                      (QVRUInt128(0x8000000000000000) << 64) | 0xffffffffffffffff,
                                      (QVRUInt128(0x8000000000000001) << 64) | 0xffffffffffffffff,
                                      (QVRUInt128(0x8000000000000236) << 64) | 0xa309b1a6ddfc1c08,
                                      (QVRUInt128(0xde0730b3cc170c31) << 64) | 0xfffffffffffffdf2,
                                      (QVRUInt128(0xdfbf9edcfbda332e) << 64) | 0xffffffffffffffff,
                                      (QVRUInt128(0x8000000000000000) << 64) | 0x7fffffffffffffff,
                                      (QVRUInt128(0xffffffffffffffff) << 64) | 2};
  SeededRandom random(SeededRandom::testSeed(0x2EC1));
  for (int i = 0; i < 2000; ++i) {
    divisors.push_back(((QVRUInt128(randomLimb(random)) << 64) | randomLimb(random)) >>
                       random.between(0, 127));
  }
  for (int power = 1; power <= 38; ++power) divisors.push_back(QVRPowersOfTen::uint128(power));
  for (QVRUInt128 divisor : divisors) {
    if (divisor == 0) continue;
    const QVRNormalizedDivisor prepared = QVRNormalizedDivisor::of(divisor);
    const ExactInteger shifted = ExactInteger::fromMantissa(prepared.shifted());
    const ExactInteger numerator = (prepared.hasOneLimb() ? twoTo128 : twoTo128 * twoTo64) - one;
    const ExactInteger expected = ExactInteger::divide(numerator, shifted).first - twoTo64;
    ASSERT_EQ(ExactInteger::fromMantissa(prepared.reciprocal()), expected)
        << ExactInteger::fromMantissa(divisor).text();
  }
}

// The one-limb reciprocal comes from a table estimate and Newton steps: checked against the
// 128-bit division for every table entry's ends and many limbs between.
TEST(QVRNormalizedDivisor, OneLimbReciprocalsMatchTheDivision) {
  std::vector<std::uint64_t> limbs = {1ull << 63, ~0ull, ~0ull - 1, (1ull << 63) + 1};
  for (std::uint64_t top = 256; top < 512; ++top) {
    limbs.push_back(top << 55);
    limbs.push_back((top << 55) + 1);
    limbs.push_back((top << 55) + ((1ull << 55) - 1));
  }
  SeededRandom random(SeededRandom::testSeed(0x11B5));
  for (int i = 0; i < 200'000; ++i) limbs.push_back(random.next() | (1ull << 63));
  for (std::uint64_t d : limbs) {
    const auto expected = static_cast<std::uint64_t>(QVRUInt128Max / d - (QVRUInt128(1) << 64));
    ASSERT_EQ(QVRNormalizedDivisor::of(d).reciprocal(), expected) << d;
  }
}

TEST(QVRUInt256, DigitCountsAndPowersOfTenAtEveryBoundary) {
  EXPECT_EQ(QVRUInt256().decimalDigitCount(), 0);
  EXPECT_EQ(QVRPowersOfTen::digitCount(0), 0);
  for (int power = 0; power <= 77; ++power) {
    SCOPED_TRACE(std::string("10^") + std::to_string(power));
    const QVRUInt256& ten = QVRUInt256::powerOfTen(power);
    EXPECT_EQ(exact(ten).text(), std::string("1").append(static_cast<std::size_t>(power), '0'));
    EXPECT_EQ(ten.decimalDigitCount(), power + 1);
    if (power > 0) {
      EXPECT_EQ((ten - QVRUInt256(1)).decimalDigitCount(), power);
    }
    EXPECT_EQ(QVRUInt256(1).multipliedByPowerOfTen(power), ten);
    EXPECT_EQ(ten.dividedByPowerOfTen(power), QVRUInt256(1));
    EXPECT_EQ((ten - QVRUInt256(1)).dividedByPowerOfTen(power), QVRUInt256());
    if (power <= 38) {
      EXPECT_EQ(QVRPowersOfTen::digitCount(QVRPowersOfTen::uint128(power)), power + 1);
      if (power > 0) {
        EXPECT_EQ(QVRPowersOfTen::digitCount(QVRPowersOfTen::uint128(power) - 1), power);
      }
    }
  }
  const QVRUInt256 largest = QVRUInt256::fromHighLow(QVRUInt128Max, QVRUInt128Max);
  EXPECT_EQ(largest.decimalDigitCount(), 78);
  EXPECT_EQ(largest.bitWidth(), 256);
  EXPECT_EQ(QVRPowersOfTen::digitCount(QVRUInt128Max), 39);
  EXPECT_EQ(largest.dividedByPowerOfTen(78), QVRUInt256());
  EXPECT_EQ(largest.dividedByPowerOfTen(1000), QVRUInt256());
  EXPECT_EQ(exact(largest.dividedByPowerOfTen(40)).text(),
            "11579208923731619542357098500868790785");
}

TEST(QVRUInt256, SumsDifferencesAndProductsCarryAcrossEveryLimb) {
  const QVRUInt256 allOnesLow(QVRUInt128Max);
  EXPECT_EQ(allOnesLow + QVRUInt256(1), QVRUInt256::fromHighLow(1, 0));
  EXPECT_EQ(QVRUInt256::fromHighLow(1, 0) - QVRUInt256(1), allOnesLow);
  EXPECT_EQ(fromLimbs(1, 0, 0, 0) - QVRUInt256(1), fromLimbs(0, ~0ull, ~0ull, ~0ull));
  EXPECT_EQ(QVRUInt256::product(QVRUInt128Max, QVRUInt128Max),
            QVRUInt256::fromHighLow(QVRUInt128Max - 1, 1));
  EXPECT_LT(QVRUInt256(QVRUInt128Max), QVRUInt256::fromHighLow(1, 0));
  EXPECT_GT(fromLimbs(1, 0, 0, 0), fromLimbs(0, ~0ull, ~0ull, ~0ull));
}

}  // namespace
