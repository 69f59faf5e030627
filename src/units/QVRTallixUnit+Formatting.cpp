#include "units/QVRTallixUnit.h"

// TEMPORARY until the number formatting lands: plain decimal text.
std::string QVRTallixUnit::formatedStringForNumber(const QVRTallixNumber& number,
                                                   std::uint64_t maximumSignificantDigits) const {
  (void)maximumSignificantDigits;
  return (number.decimalNumber() ? number.decimalNumber()->description() : "0") + " " + symbol();
}
