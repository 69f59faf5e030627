#pragma once

#include "common/QVRException.h"

// A failure of the decimal arithmetic. The number operations retry such a failure in double
// precision; code that must raise instead (formula units) turns it into the exception that the
// platform's decimal raises.
enum class QVRTallixDecimalError {
  none,
  overflow,
  underflow,
  divideByZero,
};

// The exception of the platform's decimal for an error other than none:
// "NSDecimalNumberOverflowException: Decimal number overflow" and the like.
QVRException QVRTallixDecimalErrorException(QVRTallixDecimalError error);
