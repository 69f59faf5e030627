#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The part of pasted text that is read as a number: everything before the first digit or minus
// sign and after the last one goes (currency symbols, letters, spaces, a trailing separator).
//
// Two leniencies let the calculator's own output paste back as the same value rather than as
// none or as another value:
// - a minus sign kept from the digits by a currency prefix still makes the number negative:
//   "-$1,234.50", "-¥5", "-ج.م.‏1.00" (only currency symbols, letters, marks, format
//   characters,
//   "." and no-break spaces may stand between);
// - a decimal separator right before the first digit is kept: ".5" is a half, not 5.
// "−" (U+2212), which sv_SE and fa_IR write, is a minus sign like "-".
class QVRPastedNumberText {
 public:
  QVRPastedNumberText() = delete;

  // The text to read, with one of `decimalSeparators` (UTF-8) as the separators that may come
  // first; none when `text` holds no digit of any script. Ill-formed UTF-8 counts as neither
  // digit nor minus.
  static std::optional<std::string> trimmedText(std::string_view text,
                                                const std::vector<std::string>& decimalSeparators);
};
