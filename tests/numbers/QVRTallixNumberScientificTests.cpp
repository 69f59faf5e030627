#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "numbers/QVRTallixNumber.h"
#include "support/TallixTest.h"

namespace {

class QVRTallixNumberScientific : public TallixTest {};

QVRTallixNumber n(const char* text) {
  return QVRTallixNumber(
      QVRTallixDecimal::fromString(text, ".", true).value_or(QVRTallixDecimal::nan()));
}

std::string valueOf(const QVRTallixNumber& number) {
  return number.decimalNumber() ? number.decimalNumber()->description() : "none";
}

// The argument as the program sees it at run time: the expectations must come from the C library
// too, not from the compiler, which folds calls on constants with exactly rounded results (acosh 2
// differs from glibc's in the last bit).
double atRunTime(double value) {
  volatile double stored = value;
  return stored;
}

// The decimal that a double result turns into.
std::string fromDouble(double value) {
  return valueOf(QVRTallixNumber::tallixNumberWithDoubleValue(value));
}

struct Case {
  const char* name;
  std::function<QVRTallixNumber()> compute;
  std::string expected;  // the value's exact text, "NaN", or a double's decimal by fromDouble
};

void check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(valueOf(c.compute()), c.expected);
  }
}

// Exact zeros below the thresholds of the circular and hyperbolic functions, (x × π) ÷ 180 with
// the multiplication first, odd roots of negative numbers, exact factorials up to 19, decimal
// functions that fall back to doubles, and the C library's domain errors and poles.
TEST_F(QVRTallixNumberScientific, FunctionsGiveTheirValuesAndNotANumberOutsideTheirDomain) {
  check({
      {"cos 90°", [] { return n("90").cos(false); }, "0"},
      {"tan 90° is finite", [] { return n("90").tan(false); }, "16331239353195370"},
      // (x × π) ÷ 180, multiplication first: x × (π ÷ 180) would give 0.052335956242943835.
      {"sin 3°", [] { return n("3").sin(false); }, "0.05233595624294383"},
      {"asin 1e-20 in radians", [] { return n("1e-20").asin(true); }, "0.00000000000000000001"},
      {"rt(-8, 3)", [] { return n("-8").rt(n("3")); }, "-2"},
      {"rt(-8, -3)", [] { return n("-8").rt(n("-3")); }, "-0.5"},
      // Degrees from 2^53 on are even; huge and not-a-number degrees never trap.
      {"rt(-8, 2^53 + 1)", [] { return n("-8").rt(n("9007199254740993")); }, "NaN"},
      {"rt(8, 0)", [] { return n("8").rt(n("0")); }, "NaN"},
      {"19!", [] { return n("19").factorial(); }, "121645100408832000"},
      {"-1!", [] { return n("-1").factorial(); }, "NaN"},
      {"factorial of no value", [] { return QVRTallixNumber().factorial(); }, "1"},
      {"1e-127%", [] { return n("1e-127").percent(); }, "0"},  // underflow, then 1e-129 in doubles
      {"round 2.49…9", [] { return n("2.4999999999999999999999999999999999999").round(); }, "2"},
      {"powThree 1e60 (overflow in the second product)", [] { return n("1e60").powThree(); },
       "NaN"},
      {"tenPow 3 (pow, not exp10)", [] { return n("3").tenPow(); }, "1000"},
      {"acosh 2", [] { return n("2").acosh(); }, fromDouble(std::acosh(atRunTime(2.0)))},
      {"tenPow 200 (a finite double beyond the decimal)", [] { return n("200").tenPow(); }, "NaN"},
      {"exp -1000", [] { return n("-1000").exp(); }, "0"},
      {"sinh 1e-14", [] { return n("1e-14").sinh(); }, "0"},
      {"sinh 1e-12", [] { return n("1e-12").sinh(); }, "0.000000000001"},
  });
}

TEST_F(QVRTallixNumberScientific, NotANumberPropagatesThroughEveryFunction) {
  const QVRTallixNumber nan = QVRTallixNumber::nan();
  const QVRTallixNumber two = n("2");
  const QVRTallixNumber results[] = {
      nan.percent(),   nan.negate(),   nan.invert(),    nan.powTwo(),    nan.powThree(),
      nan.tenPow(),    nan.twoPow(),   nan.expTwo(),    nan.factorial(), nan.round(),
      nan.rtTwo(),     nan.rtThree(),  nan.logTen(),    nan.ln(),        nan.exp(),
      nan.logTwo(),    nan.sinh(),     nan.cosh(),      nan.tanh(),      nan.asinh(),
      nan.acosh(),     nan.atanh(),    nan.sin(true),   nan.cos(false),  nan.tan(true),
      nan.asin(false), nan.acos(true), nan.atan(false), nan.pow(two),    nan.log(two),
      nan.rt(two),     nan.ee(two),    two.pow(nan),    two.ee(nan),     two.log(nan),
  };
  for (const QVRTallixNumber& result : results) EXPECT_EQ(valueOf(result), "NaN");
}

}  // namespace
