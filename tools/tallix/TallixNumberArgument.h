#pragma once

#include <optional>
#include <string_view>

#include "numbers/QVRTallixDecimal.h"

namespace tallix {

// Reads a number typed as a command's argument in the user's locale. Whatever tallix prints as
// a number in that locale reads back as the same value:
// - the locale's own notation: an optional minus sign, digits of any script, the locale's
//   decimal separator, and grouping separators where the locale groups (threes, or the Indian
//   3-then-2), so that "1.5" typed in German is refused rather than read as 15;
// - the notation tallix prints with when the locale writes other digits than ASCII (ar_EG and
//   fa_IR print "1,234.5");
// - the scientific notation of the largest and smallest magnitudes, exactly where tallix prints
//   it ("4.76652566916501e16", "1.5e-9"): from 10^15 up and below 10^−8. Other exponents
//   ("1e5") are refused, as is a leading plus sign.
class TallixNumberArgument {
 public:
  TallixNumberArgument() = delete;

  static std::optional<QVRTallixDecimal> read(std::string_view text);
};

}  // namespace tallix
