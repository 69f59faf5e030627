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
