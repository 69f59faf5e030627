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
  if (std::string(text) == "NaN") return QVRTallixNumber::nan();
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

TEST_F(QVRTallixNumberScientific, CircularFunctionsGiveExactZerosBelowTheThreshold) {
  check({
      {"sin 180°", [] { return n("180").sin(false); }, "0"},
      {"cos 90°", [] { return n("90").cos(false); }, "0"},
      {"sin 360°", [] { return n("360").sin(false); }, "0"},
      {"tan 0°", [] { return n("0").tan(false); }, "0"},
      {"tan 180°", [] { return n("180").tan(false); }, "0"},
      {"sin π", [] { return QVRTallixNumber::tallixNumberWithDoubleValue(M_PI).sin(true); }, "0"},
      {"sin 90°", [] { return n("90").sin(false); }, "1"},
      {"sin 30°", [] { return n("30").sin(false); }, "0.49999999999999994"},
      {"cos 60°", [] { return n("60").cos(false); },
       fromDouble(std::cos(atRunTime(60 * M_PI / 180)))},
      {"tan 90° is finite", [] { return n("90").tan(false); }, "16331239353195370"},
      {"tan 45° (multiplication first)", [] { return n("45").tan(false); },
       fromDouble(std::tan((atRunTime(45) * 3.141592653589793) / 180.0))},
      // (x × π) ÷ 180, multiplication first: x × (π ÷ 180) would give 0.052335956242943835.
      {"sin 3°", [] { return n("3").sin(false); }, "0.05233595624294383"},
      {"sin 1 rad", [] { return n("1").sin(true); }, fromDouble(std::sin(atRunTime(1.0)))},
      {"sin of no value", [] { return QVRTallixNumber().cos(false); }, "1"},
  });
}

TEST_F(QVRTallixNumberScientific, InverseCircularFunctionsConvertToDegreesWithoutThreshold) {
  check({
      {"asin 1 in degrees", [] { return n("1").asin(false); }, "90"},
      {"asin 1 in radians", [] { return n("1").asin(true); }, fromDouble(M_PI / 2)},
      {"acos 1 in degrees", [] { return n("1").acos(false); }, "0"},
      {"atan 1 in degrees", [] { return n("1").atan(false); }, "45"},
      {"asin 1e-20 in radians", [] { return n("1e-20").asin(true); }, "0.00000000000000000001"},
      {"asin 2", [] { return n("2").asin(true); }, "NaN"},
      {"acos -1.5", [] { return n("-1.5").acos(false); }, "NaN"},
  });
}

TEST_F(QVRTallixNumberScientific, OddRootsOfNegativeNumbersAreNegative) {
  check({
      {"rt(-8, 3)", [] { return n("-8").rt(n("3")); }, "-2"},
      {"rt(-8, 2)", [] { return n("-8").rt(n("2")); }, "NaN"},
      {"rt(-8, -3)", [] { return n("-8").rt(n("-3")); }, "-0.5"},
      {"rt(-8, -1)", [] { return n("-8").rt(n("-1")); }, "-0.125"},
      {"rt(-8, 2.5)", [] { return n("-8").rt(n("2.5")); }, "NaN"},
      {"rt(16, 4)", [] { return n("16").rt(n("4")); }, "2"},
      {"rtThree(-27)", [] { return n("-27").rtThree(); }, "-3"},
      {"rtThree(27)", [] { return n("27").rtThree(); }, "3"},
      // Degrees from 2^53 on are even; huge and not-a-number degrees never trap.
      {"rt(-8, 1e300)", [] { return n("-8").rt(n("1e300")); }, "NaN"},
      {"rt(-8, 2^53 + 1)", [] { return n("-8").rt(n("9007199254740993")); }, "NaN"},
      {"rt(-1, 2^53 - 1)", [] { return n("-1").rt(n("9007199254740991")); }, "-1"},
      {"rt(-8, NaN)", [] { return n("-8").rt(QVRTallixNumber::nan()); }, "NaN"},
      {"rt(8, 0)", [] { return n("8").rt(n("0")); }, "NaN"},
      {"rtTwo(-4)", [] { return n("-4").rtTwo(); }, "NaN"},
      {"rtTwo(2)", [] { return n("2").rtTwo(); }, fromDouble(std::sqrt(atRunTime(2.0)))},
  });
}

TEST_F(QVRTallixNumberScientific, FactorialIsExactUpTo19AndGammaBeyond) {
  check({
      {"0!", [] { return n("0").factorial(); }, "1"},
      {"5!", [] { return n("5").factorial(); }, "120"},
      {"19!", [] { return n("19").factorial(); }, "121645100408832000"},
      {"20!", [] { return n("20").factorial(); }, fromDouble(std::tgamma(atRunTime(21.0)))},
      {"0.5!", [] { return n("0.5").factorial(); }, "0.886226925452758"},
      {"170!", [] { return n("170").factorial(); }, "NaN"},  // 7.3e306: beyond the decimal
      {"171!", [] { return n("171").factorial(); }, "NaN"},
      {"-1!", [] { return n("-1").factorial(); }, "NaN"},
      {"-0.5!", [] { return n("-0.5").factorial(); }, "NaN"},
      {"NaN!", [] { return QVRTallixNumber::nan().factorial(); }, "NaN"},
      {"factorial of no value", [] { return QVRTallixNumber().factorial(); }, "1"},
      {"100!", [] { return n("100").factorial(); }, fromDouble(std::tgamma(atRunTime(101.0)))},
  });
}

TEST_F(QVRTallixNumberScientific, DecimalFunctionsAreExactAndFallBackToDoubles) {
  check({
      {"50%", [] { return n("50").percent(); }, "0.5"},
      {"1e-127%", [] { return n("1e-127").percent(); }, "0"},  // underflow, then 1e-129 in doubles
      {"invert 0", [] { return n("0").invert(); }, "NaN"},
      {"invert 3", [] { return n("3").invert(); }, "0.333333333333333333333333333333333333333"},
      {"invert no value", [] { return QVRTallixNumber().invert(); }, "NaN"},
      {"round 2.5", [] { return n("2.5").round(); }, "3"},
      {"round -2.5", [] { return n("-2.5").round(); }, "-3"},
      {"round 2.49…9", [] { return n("2.4999999999999999999999999999999999999").round(); }, "2"},
      {"round -0.4", [] { return n("-0.4").round(); }, "0"},
      {"round 1e100", [] { return n("1e100").round(); }, "1" + std::string(100, '0')},
      {"round NaN", [] { return QVRTallixNumber::nan().round(); }, "NaN"},
      {"round no value", [] { return QVRTallixNumber().round(); }, "0"},
      {"powTwo 0.1", [] { return n("0.1").powTwo(); }, "0.01"},
      {"powThree 10", [] { return n("10").powThree(); }, "1000"},
      {"powThree -0.3", [] { return n("-0.3").powThree(); }, "-0.027"},
      {"powTwo 1e-100 (decimal underflow)", [] { return n("1e-100").powTwo(); }, "0"},
      {"powTwo 1e100 (decimal overflow)", [] { return n("1e100").powTwo(); }, "NaN"},
      {"powThree 1e60 (overflow in the second product)", [] { return n("1e60").powThree(); },
       "NaN"},
      {"negate", [] { return n("123456789012345678901234567890.12345678").negate(); },
       "-123456789012345678901234567890.12345678"},
      {"negate 0", [] { return n("0").negate(); }, "0"},
      {"negate no value", [] { return QVRTallixNumber().negate(); }, "0"},
  });
}

TEST_F(QVRTallixNumberScientific, DoubleFunctionsFollowTheCLibrary) {
  check({
      {"log 8 base 2", [] { return n("8").log(n("2")); }, "3"},
      {"log base 1", [] { return n("8").log(n("1")); }, "NaN"},
      {"log -8 base 2", [] { return n("-8").log(n("2")); }, "NaN"},
      {"ee 2 3", [] { return n("2").ee(n("3")); }, "2000"},
      {"ee 2.5 -2", [] { return n("2.5").ee(n("-2")); }, "0.025"},
      {"tenPow 3 (pow, not exp10)", [] { return n("3").tenPow(); }, "1000"},
      {"tenPow 0.5", [] { return n("0.5").tenPow(); },
       fromDouble(std::pow(atRunTime(10.0), atRunTime(0.5)))},
      {"twoPow 10", [] { return n("10").twoPow(); }, "1024"},
      {"pow 2 0.5", [] { return n("2").pow(n("0.5")); }, fromDouble(std::pow(atRunTime(2.0), 0.5))},
      {"exp 1", [] { return n("1").exp(); }, fromDouble(std::exp(atRunTime(1.0)))},
      {"ln 10", [] { return n("10").ln(); }, fromDouble(std::log(atRunTime(10.0)))},
      {"logTen 1000", [] { return n("1000").logTen(); }, "3"},
      {"logTwo 1024", [] { return n("1024").logTwo(); }, "10"},
      {"asinh 1", [] { return n("1").asinh(); }, fromDouble(std::asinh(atRunTime(1.0)))},
      {"acosh 2", [] { return n("2").acosh(); }, fromDouble(std::acosh(atRunTime(2.0)))},
      {"atanh 0.5", [] { return n("0.5").atanh(); }, fromDouble(std::atanh(atRunTime(0.5)))},
      // Domain errors and poles.
      {"ln -1", [] { return n("-1").ln(); }, "NaN"},
      {"ln 0", [] { return n("0").ln(); }, "NaN"},
      {"logTen -1", [] { return n("-1").logTen(); }, "NaN"},
      {"logTwo -1", [] { return n("-1").logTwo(); }, "NaN"},
      {"acosh 0.5", [] { return n("0.5").acosh(); }, "NaN"},
      {"atanh 1", [] { return n("1").atanh(); }, "NaN"},
      {"exp 1000", [] { return n("1000").exp(); }, "NaN"},
      {"pow -2 0.5", [] { return n("-2").pow(n("0.5")); }, "NaN"},
      {"tenPow 1000", [] { return n("1000").tenPow(); }, "NaN"},
      {"tenPow 200 (a finite double beyond the decimal)", [] { return n("200").tenPow(); }, "NaN"},
      {"exp -1000", [] { return n("-1000").exp(); }, "0"},
  });
}

TEST_F(QVRTallixNumberScientific, HyperbolicFunctionsGiveExactZerosBelowTheThreshold) {
  check({
      {"sinh 0", [] { return n("0").sinh(); }, "0"},
      {"sinh 1e-14", [] { return n("1e-14").sinh(); }, "0"},
      {"tanh -1e-14", [] { return n("-1e-14").tanh(); }, "0"},
      {"sinh 1e-12", [] { return n("1e-12").sinh(); }, "0.000000000001"},
      {"cosh 0", [] { return n("0").cosh(); }, "1"},
      {"sinh 1000", [] { return n("1000").sinh(); }, "NaN"},
      {"tanh 1", [] { return n("1").tanh(); }, fromDouble(std::tanh(atRunTime(1.0)))},
  });
}

TEST_F(QVRTallixNumberScientific, TwoPowAndExpTwoAgree) {
  for (const char* text : {"0", "1", "10", "-3", "0.5", "52.25", "1000", "-1074.5", "-420"}) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(n(text).twoPow().isEqual(n(text).expTwo()));
  }
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
