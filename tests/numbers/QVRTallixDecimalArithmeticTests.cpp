#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "numbers/QVRPowersOfTen.h"
#include "numbers/QVRTallixDecimal.h"
#include "support/ExactDecimal.h"
#include "support/RandomDecimals.h"
#include "support/SeededRandom.h"

// The decimal's four operations checked digit by digit against exact arithmetic on digit strings
// (support/ExactDecimal): every result must be the exact value rounded plainly to the widest
// mantissa below 2^128, not below 10^−128, and compact; overflow and underflow exactly when the
// rounded value leaves the range.

namespace {

using Result = QVRTallixDecimal::Result;

QVRTallixDecimal d(const char* text) {
  const std::optional<QVRTallixDecimal> value = QVRTallixDecimal::fromString(text, ".", true);
  if (!value) ADD_FAILURE() << "not a decimal: " << text;
  return value.value_or(QVRTallixDecimal::nan());
}

QVRTallixDecimal make(bool negative, QVRUInt128 mantissa, int exponent) {
  const Result result = QVRTallixDecimal::make(negative, mantissa, exponent);
  EXPECT_TRUE(result.ok());
  return result.value;
}

struct Operation {
  const char* name;
  Result (*decimal)(const QVRTallixDecimal&, const QVRTallixDecimal&);
};

constexpr std::array<Operation, 4> operations = {{
    {"add", QVRTallixDecimal::add},
    {"subtract", QVRTallixDecimal::subtract},
    {"multiply", QVRTallixDecimal::multiply},
    {"divide", QVRTallixDecimal::divide},
}};

// Empty when `operation` on x and y gives the exact value rounded as it must, else why not.
std::string problem(const Operation& operation, const QVRTallixDecimal& x,
                    const QVRTallixDecimal& y) {
  const Result result = operation.decimal(x, y);
  const ExactDecimal ex = ExactDecimal::of(x);
  const ExactDecimal ey = ExactDecimal::of(y);
  std::string found;
  const std::string name = operation.name;
  if (name == "divide" && y.isZero()) {
    if (result.error != QVRTallixDecimalError::divideByZero)
      found = "did not report division by zero";
  } else {
    ExactDecimal exact;
    if (name == "add") exact = ex + ey;
    if (name == "subtract") exact = ex - ey;
    if (name == "multiply") exact = ex * ey;
    if (name == "divide") exact = ExactDecimal::truncatedQuotient(ex, ey, 42);
    found = ExpectedDecimal::of(exact).mismatch(result);
  }
  if (found.empty() && result.ok() &&
      QVRTallixDecimal::fromString(result.value.description()) != std::optional(result.value)) {
    found = "does not read back from its text " + result.value.description();
  }
  if (found.empty()) return found;
  return x.description() + " " + name + " " + y.description() + ": " + found;
}

class QVRTallixDecimalArithmetic : public ::testing::TestWithParam<Operation> {};

TEST_P(QVRTallixDecimalArithmetic, RandomOperandsGiveTheExactValueRoundedOnce) {
  const std::uint64_t seed = SeededRandom::testSeed(0x7A111C5);
  SeededRandom random(seed);
  std::vector<std::string> failures;
  for (int i = 0; i < 100'000; ++i) {
    const QVRTallixDecimal x = RandomDecimals::any(random);
    const QVRTallixDecimal y = RandomDecimals::partner(x, random);
    if (std::string failure = problem(GetParam(), x, y); !failure.empty()) {
      failures.push_back(std::move(failure));
    }
  }
  EXPECT_TRUE(failures.empty()) << "seed " << seed
                                << " (TALLIX_TEST_SEED replays it): " << failures.size()
                                << " failures, first: " << failures.front();
}

TEST_P(QVRTallixDecimalArithmetic, EveryPairOfExtremeOperandsGivesTheExactValueRoundedOnce) {
  const char* const texts[] = {
      "0",
      "1",
      "-1",
      "0.5",
      "3",
      "7",
      "9",
      "10",
      "1e-128",
      "-1e-128",
      "5e-128",
      "1e127",
      "340282366920938463463374607431768211455",
      "340282366920938463463374607431768211455e127",
      "-340282366920938463463374607431768211455e127",
      "340282366920938463463374607431768211455e-128",
      "34028236692093846346337460743176821145",
      "99999999999999999999999999999999999999",
      "1e38",
      "0.1",
      "3.333333333333333333333333333333333333",
      "123456789012345678901234567890123456789e-128",
      "1.5e-64",
      "2e-64",
      "1e64",
      "-1e-64",
      "18446744073709551615",
      "18446744073709551616",
  };
  std::vector<std::string> failures;
  for (const char* left : texts) {
    for (const char* right : texts) {
      if (std::string failure = problem(GetParam(), d(left), d(right)); !failure.empty()) {
        failures.push_back(std::move(failure));
      }
    }
  }
  EXPECT_TRUE(failures.empty()) << failures.size() << " failures, first: " << failures.front();
}

INSTANTIATE_TEST_SUITE_P(Operations, QVRTallixDecimalArithmetic, ::testing::ValuesIn(operations),
                         [](const ::testing::TestParamInfo<Operation>& info) {
                           return std::string(info.param.name);
                         });

struct TrickyCase {
  const char* left;
  const char* operation;
  const char* right;
  const char* expected;  // a decimal text, or "overflow", "underflow", "division by zero"
};

TEST(QVRTallixDecimalArithmetic, TrickyCasesGiveTheirKnownResults) {
  const TrickyCase cases[] = {
      // Exact sums of 38-digit operands; a carry that adds a 39th digit.
      {"12345678901234567890123456789012345678", "+", "98765432109876543210987654321098765432",
       "111111111011111111101111111110111111110"},
      {"0.1", "+", "0.2", "0.3"},
      // A carry beyond 2^128: the sum keeps 38 digits, rounded at the last one.
      {"340282366920938463463374607431768211455", "+", "1",
       "340282366920938463463374607431768211460"},
      {"340282366920938463463374607431768211455", "+", "5",
       "340282366920938463463374607431768211460"},
      // Rounding at the last digit, halves away from zero.
      {"99999999999999999999999999999999999999", "+", "0.5",
       "100000000000000000000000000000000000000"},
      {"-99999999999999999999999999999999999999", "-", "0.5",
       "-100000000000000000000000000000000000000"},
      {"79580376589300000000", "+", "0.0000000000000743496",
       "79580376589300000000.00000000000007435"},
      {"14721885923300000000000", "+", "0.0000000000000185879",
       "14721885923300000000000.0000000000000186"},
      {"-886156332055000000000000000", "-", "0.000000031882",
       "-886156332055000000000000000.00000003188"},
      // Digits of the smaller operand cut below the working width: exactly half a unit less
      // something is below half, so the difference rounds down.
      {"2e100", "-", "50000000000000000000000000000000000001e24",
       "199999999999999999999999999999999999999e62"},
      {"-2e100", "+", "50000000000000000000000000000000000001e24",
       "-199999999999999999999999999999999999999e62"},
      {"2e100", "-", "5e61", "2e100"},
      // A tiny addend far below the result's digits.
      {"1e100", "-", "1e-100", "1e100"},
      {"1e100", "+", "1e-100", "1e100"},
      // Products: exact when they fit, 38 digits when the 39 would reach 2^128.
      {"1.1", "*", "1.1", "1.21"},
      {"18446744073709551616", "*", "18446744073709551616",
       "340282366920938463463374607431768211456"},
      {"3e127", "*", "10", "3e128"},
      {"1e127", "*", "1e127", "overflow"},
      {"1e-128", "*", "1e-128", "underflow"},
      {"1e-100", "*", "1e-100", "underflow"},
      {"340282366920938463463374607431768211455e-103", "*",
       "340282366920938463463374607431768211455e-103", "underflow"},
      {"-340282366920938463463374607431768211455e-102", "*",
       "340282366920938463463374607431768211455e-103", "-1e-128"},
      // Quotients keep the widest mantissa, 38 or 39 digits, whatever the divisor's width.
      {"1", "/", "3", "0.333333333333333333333333333333333333333"},
      {"2", "/", "3", "0.66666666666666666666666666666666666667"},
      {"1", "/", "7", "0.142857142857142857142857142857142857143"},
      {"1", "/", "123456789012345678901234567890123456789",
       "0.0000000000000000000000000000000000000081000000729000006633900060368490549353"},
      {"1", "/", "340282366920938463463374607431768211455",
       "0.00000000000000000000000000000000000000293873587705571876992184134305561419456"},
      {"340282366920938463463374607431768211455", "/", "3",
       "113427455640312821154458202477256070485"},
      {"1", "/", "8", "0.125"},
      {"1", "/", "0", "division by zero"},
      {"0", "/", "0", "division by zero"},
      {"0", "/", "7", "0"},
      {"1e127", "/", "1e-128", "overflow"},
      {"1e-128", "/", "1e127", "underflow"},
      {"5e-128", "/", "10", "1e-128"},
      {"4e-128", "/", "10", "underflow"},
  };
  for (const TrickyCase& c : cases) {
    SCOPED_TRACE(std::string(c.left) + " " + c.operation + " " + c.right);
    const std::string operation = c.operation;
    Result (*function)(const QVRTallixDecimal&, const QVRTallixDecimal&) =
        operation == "+"   ? QVRTallixDecimal::add
        : operation == "-" ? QVRTallixDecimal::subtract
        : operation == "*" ? QVRTallixDecimal::multiply
                           : QVRTallixDecimal::divide;
    const Result result = function(d(c.left), d(c.right));
    const std::string expected = c.expected;
    if (expected == "overflow") {
      EXPECT_EQ(result.error, QVRTallixDecimalError::overflow);
    } else if (expected == "underflow") {
      EXPECT_EQ(result.error, QVRTallixDecimalError::underflow);
    } else if (expected == "division by zero") {
      EXPECT_EQ(result.error, QVRTallixDecimalError::divideByZero);
    } else {
      EXPECT_EQ(result, Result{d(c.expected)});
    }
  }
}

TEST(QVRTallixDecimalArithmetic, NotANumberPropagatesAndIsNeverAnError) {
  const QVRTallixDecimal nan = QVRTallixDecimal::nan();
  for (const Operation& operation : operations) {
    SCOPED_TRACE(operation.name);
    for (const QVRTallixDecimal& other : {QVRTallixDecimal::zero(), QVRTallixDecimal::one()}) {
      EXPECT_EQ(operation.decimal(nan, other), Result{nan});
      EXPECT_EQ(operation.decimal(other, nan), Result{nan});
    }
  }
}

TEST(QVRTallixDecimalArithmetic, ValuesHaveOneRepresentationAndNoSignedZero) {
  EXPECT_EQ(d("1.50"), d("1.5"));
  EXPECT_EQ(d("-0"), QVRTallixDecimal::zero());
  EXPECT_FALSE(d("-0.000").isNegative());
  EXPECT_EQ(QVRTallixDecimal::subtract(d("2.5"), d("2.5")).value, QVRTallixDecimal::zero());
  EXPECT_FALSE(QVRTallixDecimal::multiply(d("-1"), QVRTallixDecimal::zero()).value.isNegative());
  EXPECT_EQ(QVRTallixDecimal(-120), make(true, 12, 1));
  EXPECT_EQ(QVRTallixDecimal(std::int64_t(-9223372036854775807 - 1)), d("-9223372036854775808"));
  // Trailing zeros stay only where the exponent is at its top.
  const QVRTallixDecimal high = d("3e128");
  EXPECT_EQ(high.mantissa(), QVRUInt128(30));
  EXPECT_EQ(high.exponent(), 127);
  EXPECT_EQ(QVRTallixDecimal::make(false, 1, 166).error, QVRTallixDecimalError::overflow);
  EXPECT_EQ(QVRTallixDecimal::make(false, QVRUInt128Max, 127).value.description(),
            "340282366920938463463374607431768211455" + std::string(127, '0'));
}

struct RoundingCase {
  const char* value;
  int scale;
  QVRTallixRoundingMode mode;
  const char* expected;
};

TEST(QVRTallixDecimalArithmetic, RoundedDropsDigitsWithEachMode) {
  using enum QVRTallixRoundingMode;
  const RoundingCase cases[] = {
      {"2.5", 0, plain, "3"},
      {"-2.5", 0, plain, "-3"},
      {"2.5", 0, bankers, "2"},
      {"3.5", 0, bankers, "4"},
      {"2.501", 0, bankers, "3"},
      {"-2.5", 0, bankers, "-2"},
      {"2.9", 0, down, "2"},
      {"-2.9", 0, down, "-2"},
      {"2.1", 0, up, "3"},
      {"-2.1", 0, up, "-3"},
      {"-0.4", 0, plain, "0"},
      {"0.0004", 2, plain, "0"},
      {"0.0004", 2, up, "0.01"},
      {"0.005", 2, plain, "0.01"},
      {"0.125", 2, bankers, "0.12"},
      {"1e100", 0, plain, "1e100"},
      {"2.4999999999999999999999999999999999999", 0, plain, "2"},
      {"999.5", 0, plain, "1000"},
      {"1234.5678", -2, plain, "1200"},
      {"1250", -2, bankers, "1200"},
      {"9.5e-128", 127, plain, "1e-127"},
      {"340282366920938463463374607431768211455e127", -160, plain, "340282e160"},
      {"340282366920938463463374607431768211455e127", -166, plain, "0"},
      {"340282366920938463463374607431768211455e127", -165, up, "NaN"},
      {"12.34", 40, plain, "12.34"},
      {"NaN", 0, plain, "NaN"},
  };
  for (const RoundingCase& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " to " + std::to_string(c.scale));
    const QVRTallixDecimal value =
        std::string(c.value) == "NaN" ? QVRTallixDecimal::nan() : d(c.value);
    const QVRTallixDecimal rounded = value.rounded(c.scale, c.mode);
    EXPECT_EQ(rounded.description(),
              std::string(c.expected) == "NaN" ? "NaN" : d(c.expected).description());
  }
}

}  // namespace
