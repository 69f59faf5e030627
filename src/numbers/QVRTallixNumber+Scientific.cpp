// The scientific functions of QVRTallixNumber. A few are exact decimal operations with a double
// fallback; all others are computed in double precision with the C library's functions, so that
// results match them to the last bit (the project builds without fast-math or contraction).

#include <cmath>
#include <cstdint>

#include "numbers/QVRTallixNumber.h"

namespace {

constexpr QVRTallixDecimal oneHundred(100);
constexpr QVRTallixDecimal negativeOne(-1);

// π of the double path; degrees are converted with 180.
constexpr double pi = 3.141592653589793;
constexpr double halfTurnInDegrees = 180.0;
// Results of the circular and hyperbolic functions below this magnitude are exactly zero, so that
// sin 180° is 0 rather than 1.2e-16.
constexpr double zeroThreshold = 1e-13;

// The decimal operation on the value; when it fails (overflow, underflow, division by zero) or
// the value is absent, the double formula on doubleValue.
template <class DecimalOperation, class DoubleFormula>
QVRTallixNumber decimalProcedure(const QVRTallixNumber& number, DecimalOperation decimalOperation,
                                 DoubleFormula doubleFormula) {
  if (number.decimalNumber()) {
    const QVRTallixDecimal::Result result = decimalOperation(*number.decimalNumber());
    if (result.ok()) return QVRTallixNumber(result.value);
  }
  return QVRTallixNumber::tallixNumberWithDoubleValue(doubleFormula(number.doubleValue()));
}

QVRTallixNumber thresholded(double value) {
  if (std::fabs(value) < zeroThreshold) return QVRTallixNumber(QVRTallixDecimal::zero());
  return QVRTallixNumber::tallixNumberWithDoubleValue(value);
}

double toRadians(double value, bool radians) {
  return radians ? value : (value * pi) / halfTurnInDegrees;
}

double fromRadians(double value, bool radians) {
  return radians ? value : (value * halfTurnInDegrees) / pi;
}

// 10^y as pow(10, y): glibc's exp10 is not correctly rounded (exp10(3) is 1000.0000000000001).
double tenToThePower(double y) {
  return std::pow(10.0, y);
}

// Whether the whole number y is odd; magnitudes from 2^53 on are all even.
bool isOdd(double y) {
  const double magnitude = std::fabs(y);
  if (!(magnitude < 9007199254740992.0)) return false;
  return static_cast<std::int64_t>(magnitude) % 2 == 1;
}

}  // namespace

QVRTallixNumber QVRTallixNumber::percent() const {
  return decimalProcedure(
      *this, [](const QVRTallixDecimal& v) { return QVRTallixDecimal::divide(v, oneHundred); },
      [](double x) { return x * 0.01; });
}

QVRTallixNumber QVRTallixNumber::negate() const {
  return decimalProcedure(
      *this, [](const QVRTallixDecimal& v) { return QVRTallixDecimal::multiply(v, negativeOne); },
      [](double x) { return -x; });
}

QVRTallixNumber QVRTallixNumber::invert() const {
  return decimalProcedure(
      *this,
      [](const QVRTallixDecimal& v) {
        return QVRTallixDecimal::divide(QVRTallixDecimal::one(), v);
      },
      [](double x) { return 1.0 / x; });
}

QVRTallixNumber QVRTallixNumber::powTwo() const {
  return decimalProcedure(
      *this, [](const QVRTallixDecimal& v) { return QVRTallixDecimal::multiply(v, v); },
      [](double x) { return x * x; });
}

QVRTallixNumber QVRTallixNumber::powThree() const {
  return decimalProcedure(
      *this,
      [](const QVRTallixDecimal& v) {
        const QVRTallixDecimal::Result square = QVRTallixDecimal::multiply(v, v);
        return square.ok() ? QVRTallixDecimal::multiply(square.value, v) : square;
      },
      [](double x) { return std::pow(x, 3.0); });
}

QVRTallixNumber QVRTallixNumber::round() const {
  return decimalProcedure(
      *this,
      [](const QVRTallixDecimal& v) {
        return QVRTallixDecimal::Result{v.rounded(0, QVRTallixRoundingMode::plain)};
      },
      [](double x) { return std::round(x); });
}

QVRTallixNumber QVRTallixNumber::pow(const QVRTallixNumber& exponent) const {
  return tallixNumberWithDoubleValue(std::pow(doubleValue(), exponent.doubleValue()));
}

QVRTallixNumber QVRTallixNumber::log(const QVRTallixNumber& base) const {
  return tallixNumberWithDoubleValue(std::log(doubleValue()) / std::log(base.doubleValue()));
}

QVRTallixNumber QVRTallixNumber::ee(const QVRTallixNumber& exponent) const {
  return tallixNumberWithDoubleValue(doubleValue() * tenToThePower(exponent.doubleValue()));
}

QVRTallixNumber QVRTallixNumber::rt(const QVRTallixNumber& degree) const {
  const double y = degree.doubleValue();
  const double x = doubleValue();
  double wholePart;
  const double fraction = std::modf(y, &wholePart);
  if (x < 0 && fraction == 0.0 && isOdd(y)) {
    // An odd root of a negative number is negative.
    return tallixNumberWithDoubleValue(-std::pow(-x, 1.0 / y));
  }
  return tallixNumberWithDoubleValue(std::pow(x, 1.0 / y));
}

QVRTallixNumber QVRTallixNumber::tenPow() const {
  return tallixNumberWithDoubleValue(tenToThePower(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::twoPow() const {
  return tallixNumberWithDoubleValue(std::exp2(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::expTwo() const {
  return tallixNumberWithDoubleValue(std::exp2(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::exp() const {
  return tallixNumberWithDoubleValue(std::exp(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::ln() const {
  return tallixNumberWithDoubleValue(std::log(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::logTen() const {
  return tallixNumberWithDoubleValue(std::log10(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::logTwo() const {
  return tallixNumberWithDoubleValue(std::log2(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::rtTwo() const {
  return tallixNumberWithDoubleValue(std::sqrt(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::rtThree() const {
  return rt(tallixNumberWithDoubleValue(3.0));
}

QVRTallixNumber QVRTallixNumber::factorial() const {
  const double x = doubleValue();
  if (x < 0) return nan();
  if (x < 20.0 && x == std::trunc(x)) {
    // 0! to 19! exactly, in 64-bit integers (19! is below 2^63).
    const auto n = static_cast<std::uint64_t>(x);
    std::uint64_t product = 1;
    for (std::uint64_t factor = 2; factor <= n; ++factor) product *= factor;
    return QVRTallixNumber(QVRTallixDecimal(product));
  }
  // Fractions, 20 and above, and NaN: the gamma function; too large a result becomes NaN.
  return tallixNumberWithDoubleValue(std::tgamma(x + 1.0));
}

QVRTallixNumber QVRTallixNumber::sin(bool radians) const {
  return thresholded(std::sin(toRadians(doubleValue(), radians)));
}

QVRTallixNumber QVRTallixNumber::cos(bool radians) const {
  return thresholded(std::cos(toRadians(doubleValue(), radians)));
}

QVRTallixNumber QVRTallixNumber::tan(bool radians) const {
  return thresholded(std::tan(toRadians(doubleValue(), radians)));
}

QVRTallixNumber QVRTallixNumber::asin(bool radians) const {
  return tallixNumberWithDoubleValue(fromRadians(std::asin(doubleValue()), radians));
}

QVRTallixNumber QVRTallixNumber::acos(bool radians) const {
  return tallixNumberWithDoubleValue(fromRadians(std::acos(doubleValue()), radians));
}

QVRTallixNumber QVRTallixNumber::atan(bool radians) const {
  return tallixNumberWithDoubleValue(fromRadians(std::atan(doubleValue()), radians));
}

QVRTallixNumber QVRTallixNumber::sinh() const {
  return thresholded(std::sinh(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::cosh() const {
  return thresholded(std::cosh(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::tanh() const {
  return thresholded(std::tanh(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::asinh() const {
  return tallixNumberWithDoubleValue(std::asinh(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::acosh() const {
  return tallixNumberWithDoubleValue(std::acosh(doubleValue()));
}

QVRTallixNumber QVRTallixNumber::atanh() const {
  return tallixNumberWithDoubleValue(std::atanh(doubleValue()));
}
