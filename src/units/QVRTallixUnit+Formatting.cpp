#include <fmt/format.h>

#include "units/QVRTallixUnit.h"

std::string QVRTallixUnit::formatedStringForNumber(const QVRTallixNumber& number,
                                                   std::uint64_t maximumSignificantDigits) const {
  return fmt::format("{} {}",
                     QVRTallixNumber::scientificFormattedDecimalNumber(number.decimalNumber(),
                                                                       maximumSignificantDigits),
                     symbol());
}
