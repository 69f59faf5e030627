#include "units/QVRTallixCurrencyRates.h"

#include "common/QVREnvironment.h"

QVRTallixCurrencyRates& QVRTallixCurrencyRates::current() {
  return QVREnvironment::current().sharedInstance<QVRTallixCurrencyRates>();
}
