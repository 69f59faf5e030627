#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <type_traits>

#include "numbers/QVRTallixNumber.h"
#include "support/TallixTest.h"

namespace {

class QVRTallixNumberTests : public TallixTest {};

QVRTallixNumber number(const char* text) {
  return QVRTallixNumber(
      QVRTallixDecimal::fromString(text, ".", true).value_or(QVRTallixDecimal::nan()));
}

// The value's text: the decimal's description, or "none" for a number with no value.
std::string valueOf(const QVRTallixNumber& number) {
  return number.decimalNumber() ? number.decimalNumber()->description() : "none";
}

static_assert(std::is_trivially_copyable_v<QVRTallixDecimal>);
static_assert(std::is_trivially_copyable_v<QVRTallixNumber>);

TEST_F(QVRTallixNumberTests, DoublesThatAreNotFiniteGiveNotANumberAndOthersTheirShortestText) {
  for (double value : {NAN, -NAN, INFINITY, -INFINITY}) {
    EXPECT_EQ(valueOf(QVRTallixNumber::tallixNumberWithDoubleValue(value)), "NaN");
  }
  EXPECT_EQ(valueOf(QVRTallixNumber::tallixNumberWithDoubleValue(0.1)), "0.1");
}

TEST_F(QVRTallixNumberTests, RandomStaysWithinZeroAndOne) {
  std::set<double> distinct;
  for (int i = 0; i < 10'000; ++i) {
    const double value = QVRTallixNumber::random().doubleValue();
    ASSERT_GE(value, 0.0);
    ASSERT_LE(value, 1.0);
    distinct.insert(value);
  }
  EXPECT_GT(distinct.size(), 9'900u);
}

TEST_F(QVRTallixNumberTests, ANumberWithNoValueCountsAsZeroInTheDoublePath) {
  const QVRTallixNumber empty;
  EXPECT_EQ(valueOf(empty), "none");
  EXPECT_EQ(empty.doubleValue(), 0);
  EXPECT_EQ(valueOf(empty.copy()), "0");
  EXPECT_EQ(valueOf(empty.add(number("2"))), "2");
  EXPECT_EQ(valueOf(number("2").subtract(empty)), "2");
  EXPECT_EQ(valueOf(empty.multiply(number("2"))), "0");
  EXPECT_EQ(valueOf(number("2").divide(empty)), "NaN");
  EXPECT_TRUE(empty.isEqual(QVRTallixNumber()));
  EXPECT_FALSE(empty.isEqual(number("0")));
  EXPECT_EQ(empty.compare(number("0")), QVRComparisonResult::orderedSame);
}

struct ArithmeticCase {
  const char* left;
  char operation;
  const char* right;
  const char* expected;
};

TEST_F(QVRTallixNumberTests, ArithmeticIsExactAndFallsBackToDoublesOnDecimalFailures) {
  const ArithmeticCase cases[] = {
      {"0.1", '+', "0.2", "0.3"},
      // Decimal underflow: the double 1e-200 lies below the decimal's range, so zero.
      {"1e-100", '*', "1e-100", "0"},
      // Decimal overflow: the double 1e254 lies beyond the range, so not-a-number.
      {"1e127", '*', "1e127", "NaN"},
      // Not-a-number propagates through the decimal arithmetic.
      {"NaN", '+', "1", "NaN"},
      {"1", '/', "0", "NaN"},
  };
  for (const ArithmeticCase& c : cases) {
    SCOPED_TRACE(std::string(c.left) + " " + c.operation + " " + c.right);
    // "NaN" reads as no decimal, which number() makes not-a-number.
    const QVRTallixNumber left = number(c.left), right = number(c.right);
    const QVRTallixNumber result = c.operation == '+'   ? left.add(right)
                                   : c.operation == '-' ? left.subtract(right)
                                   : c.operation == '*' ? left.multiply(right)
                                                        : left.divide(right);
    EXPECT_EQ(valueOf(result), valueOf(number(c.expected)));
  }
}

}  // namespace
