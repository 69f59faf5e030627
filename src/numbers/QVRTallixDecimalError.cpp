#include "numbers/QVRTallixDecimalError.h"

QVRException QVRTallixDecimalErrorException(QVRTallixDecimalError error) {
  switch (error) {
    case QVRTallixDecimalError::overflow:
      return {"NSDecimalNumberOverflowException", "Decimal number overflow"};
    case QVRTallixDecimalError::underflow:
      return {"NSDecimalNumberUnderflowException", "Decimal number underflow"};
    case QVRTallixDecimalError::divideByZero:
      return {"NSDecimalNumberDivideByZeroException", "Decimal number divide by zero"};
    case QVRTallixDecimalError::none:
      break;
  }
  return QVRException::invalidArgument("no decimal error to raise");
}
