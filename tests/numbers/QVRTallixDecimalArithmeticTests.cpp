#include <gtest/gtest.h>

#include <array>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

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

QVRTallixDecimal d(const std::string& text) {
  if (text == "NaN") return QVRTallixDecimal::nan();
  const std::optional<QVRTallixDecimal> value = QVRTallixDecimal::fromString(text, ".", true);
  if (!value) ADD_FAILURE() << "not a decimal: " << text;
  return value.value_or(QVRTallixDecimal::nan());
}

struct Operation {
  const char* name;
  Result (*decimal)(const QVRTallixDecimal&, const QVRTallixDecimal&);
};

constexpr std::array<Operation, 4> operations = {{{"add", QVRTallixDecimal::add},
                                                  {"subtract", QVRTallixDecimal::subtract},
                                                  {"multiply", QVRTallixDecimal::multiply},
                                                  {"divide", QVRTallixDecimal::divide}}};

// Empty when `operation` on x and y gives the exact value rounded as it must, else why not.
std::string problem(const Operation& operation, const QVRTallixDecimal& x,
                    const QVRTallixDecimal& y) {
  const Result result = operation.decimal(x, y);
  const ExactDecimal ex = ExactDecimal::of(x);
  const ExactDecimal ey = ExactDecimal::of(y);
  std::string found;
  const std::string name = operation.name;
  if (name == "divide" && y.isZero()) {
    if (result.error != QVRTallixDecimalError::divideByZero) found = "no division by zero";
  } else {
    const ExactDecimal exact = name == "add"        ? ex + ey
                               : name == "subtract" ? ex - ey
                               : name == "multiply" ? ex * ey
                                                    : ExactDecimal::truncatedQuotient(ex, ey, 42);
    found = ExpectedDecimal::of(exact).mismatch(result);
  }
  if (found.empty() && result.ok() &&
      QVRTallixDecimal::fromString(result.value.description()) != std::optional(result.value)) {
    found = "does not read back from its text " + result.value.description();
  }
  return found.empty() ? found
                       : x.description() + " " + name + " " + y.description() + ": " + found;
}

class QVRTallixDecimalArithmetic : public ::testing::TestWithParam<Operation> {};

TEST_P(QVRTallixDecimalArithmetic, RandomAndExtremeOperandsGiveTheExactValueRoundedOnce) {
  const std::uint64_t seed = SeededRandom::testSeed(0x7A111C5);
  SeededRandom random(seed);
  std::vector<std::string> failures;
  for (int i = 0; i < 100'000; ++i) {
    const QVRTallixDecimal x = RandomDecimals::any(random);
    if (auto failure = problem(GetParam(), x, RandomDecimals::partner(x, random)); !failure.empty())
      failures.push_back(std::move(failure));
  }
  std::istringstream texts(
      "0 1 -1 0.5 3 7 10 1e-128 -1e-128 5e-128 1e127 1e38 1.5e-64 1e64 18446744073709551615 "
      "18446744073709551616 99999999999999999999999999999999999999 "
      "3.333333333333333333333333333333333333 123456789012345678901234567890123456789e-128 "
      "340282366920938463463374607431768211455 340282366920938463463374607431768211455e127 "
      "-340282366920938463463374607431768211455e127 340282366920938463463374607431768211455e-128");
  const std::vector<std::string> extremes{std::istream_iterator<std::string>(texts), {}};
  for (const auto& left : extremes) {
    for (const auto& right : extremes) {
      if (auto failure = problem(GetParam(), d(left), d(right)); !failure.empty())
        failures.push_back(std::move(failure));
    }
  }
  EXPECT_TRUE(failures.empty()) << "seed " << seed
                                << " (TALLIX_TEST_SEED replays it): " << failures.size()
                                << " failures, first: " << failures.front();
}

INSTANTIATE_TEST_SUITE_P(Operations, QVRTallixDecimalArithmetic, ::testing::ValuesIn(operations),
                         [](const auto& info) { return std::string(info.param.name); });

// Known results, independent of the oracle: cut digits of a small operand, a borrow across
// exponents, the smallest product, the ends of the range.
TEST(QVRTallixDecimalArithmetic, TrickyCasesGiveTheirKnownResults) {
  // The expected value is a decimal text, or "underflow".
  // clang-format off
  const struct { const char* left; char operation; const char* right; const char* expected; } cases[] = {
    {"79580376589300000000", '+', "0.0000000000000743496", "79580376589300000000.00000000000007435"},
    {"2e100", '-', "50000000000000000000000000000000000001e24", "199999999999999999999999999999999999999e62"},
    {"-340282366920938463463374607431768211455e-102", '*', "340282366920938463463374607431768211455e-103", "-1e-128"},
    {"4e-128", '/', "10", "underflow"},
    {"NaN", '/', "0", "NaN"},
  };
  // clang-format on

  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.left) + " " + c.operation + " " + c.right);
    const std::size_t index = std::string_view("+-*/").find(c.operation);
    ASSERT_LT(index, operations.size());
    const Operation& operation = operations[index];
    const Result result = operation.decimal(d(c.left), d(c.right));
    if (std::string_view(c.expected) == "underflow") {
      EXPECT_EQ(result.error, QVRTallixDecimalError::underflow);
    } else {
      EXPECT_EQ(result, Result{d(c.expected)});
    }
  }
}

TEST(QVRTallixDecimalArithmetic, ValuesHaveOneRepresentationAndNoSignedZero) {
  EXPECT_EQ(d("1.50"), d("1.5"));
  EXPECT_FALSE(d("-0.000").isNegative());
  EXPECT_FALSE(QVRTallixDecimal::multiply(d("-1"), QVRTallixDecimal::zero()).value.isNegative());
  EXPECT_EQ(QVRTallixDecimal(std::int64_t(-9223372036854775807 - 1)), d("-9223372036854775808"));
  // Trailing zeros stay only where the exponent is at its top.
  EXPECT_EQ(d("3e128").mantissa(), QVRUInt128(30));
  EXPECT_EQ(QVRTallixDecimal::make(false, 1, 166).error, QVRTallixDecimalError::overflow);
}

TEST(QVRTallixDecimalArithmetic, RoundedDropsDigitsWithEachMode) {
  using enum QVRTallixRoundingMode;
  // clang-format off
  const struct { const char* value; int scale; QVRTallixRoundingMode mode; const char* expected; } cases[] = {
      {"2.5", 0, plain, "3"},
      {"2.5", 0, bankers, "2"},
      {"0.0004", 2, up, "0.01"},
      {"2.4999999999999999999999999999999999999", 0, plain, "2"},
      {"9.5e-128", 127, plain, "1e-127"},
      {"340282366920938463463374607431768211455e127", -160, plain, "340282e160"},
      {"340282366920938463463374607431768211455e127", -166, plain, "0"},
      {"340282366920938463463374607431768211455e127", -165, up, "NaN"},
      {"NaN", 0, plain, "NaN"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " to " + std::to_string(c.scale));
    EXPECT_EQ(d(c.value).rounded(c.scale, c.mode).description(), d(c.expected).description());
  }
}

}  // namespace
