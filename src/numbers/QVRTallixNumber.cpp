#include "numbers/QVRTallixNumber.h"

#include <cmath>
#include <functional>
#include <ostream>

#include "numbers/QVRTallixRandomGenerator.h"

namespace {

// The procedure of the four operations: the decimal operation with the receiver on the left,
// or, when it fails (overflow, underflow, division by zero) or a value is absent, the double
// operation on the two doubleValues.
template <class DecimalOperation, class DoubleOperation>
QVRTallixNumber combined(const QVRTallixNumber& left, const QVRTallixNumber& right,
                         DecimalOperation decimalOperation, DoubleOperation doubleOperation) {
  if (left.decimalNumber() && right.decimalNumber()) {
    const QVRTallixDecimal::Result result =
        decimalOperation(*left.decimalNumber(), *right.decimalNumber());
    if (result.ok()) return QVRTallixNumber(result.value);
  }
  return QVRTallixNumber::tallixNumberWithDoubleValue(
      doubleOperation(left.doubleValue(), right.doubleValue()));
}

}  // namespace

QVRTallixNumber QVRTallixNumber::nan() {
  return QVRTallixNumber(QVRTallixDecimal::nan());
}

QVRTallixNumber QVRTallixNumber::random() {
  const std::int32_t drawn = QVRTallixRandomGenerator::shared().random();
  return tallixNumberWithDoubleValue(drawn / double(QVRTallixRandomGenerator::maximum));
}

QVRTallixNumber QVRTallixNumber::tallixNumberWithDoubleValue(double value) {
  if (!std::isfinite(value)) return nan();
  return QVRTallixNumber(QVRTallixDecimal::fromDouble(value));
}

QVRTallixNumber QVRTallixNumber::add(const QVRTallixNumber& other) const {
  return combined(*this, other, QVRTallixDecimal::add, std::plus<double>());
}

QVRTallixNumber QVRTallixNumber::subtract(const QVRTallixNumber& other) const {
  return combined(*this, other, QVRTallixDecimal::subtract, std::minus<double>());
}

QVRTallixNumber QVRTallixNumber::multiply(const QVRTallixNumber& other) const {
  return combined(*this, other, QVRTallixDecimal::multiply, std::multiplies<double>());
}

QVRTallixNumber QVRTallixNumber::divide(const QVRTallixNumber& other) const {
  return combined(*this, other, QVRTallixDecimal::divide, std::divides<double>());
}

QVRComparisonResult QVRTallixNumber::compare(const QVRTallixNumber& other) const {
  return QVRTallixDecimal::compare(_decimalNumber.value_or(QVRTallixDecimal::zero()),
                                   other._decimalNumber.value_or(QVRTallixDecimal::zero()));
}

bool QVRTallixNumber::isEqual(const QVRTallixNumber& other) const {
  return _decimalNumber == other._decimalNumber;
}

std::string QVRTallixNumber::description() const {
  return "QVRTallixNumber(" + (_decimalNumber ? _decimalNumber->description() : "(null)") + ")";
}

void PrintTo(const QVRTallixNumber& number, std::ostream* stream) {
  *stream << number.description();
}
