#pragma once

#include <string_view>

// The locale in which stored decimal text is read, whatever the user's own locale: the constants
// of unit formulas and the downloaded conversion rates are written with "." as the decimal
// separator. ICU always has "en_US", so the system locale is never needed in its place, and the
// value never changes: a constant.
inline constexpr std::string_view gQVRTallixDataLocale = "en_US";

// The decimal separator of gQVRTallixDataLocale.
inline constexpr std::string_view gQVRTallixDataDecimalSeparator = ".";
