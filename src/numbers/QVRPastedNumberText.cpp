#include "numbers/QVRPastedNumberText.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace {

constexpr UChar32 minusSign = 0x2212;

// The code point that begins at `index` and where the next one begins.
UChar32 next(std::string_view text, std::size_t& index) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  auto position = static_cast<int32_t>(index);
  UChar32 c;
  U8_NEXT(bytes, position, static_cast<int32_t>(text.size()), c);
  index = static_cast<std::size_t>(position);
  return c;
}

// The code point that ends at `index` and where it begins.
UChar32 previous(std::string_view text, std::size_t& index) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  auto position = static_cast<int32_t>(index);
  UChar32 c;
  U8_PREV(bytes, 0, position, c);
  index = static_cast<std::size_t>(position);
  return c;
}

bool isDigit(UChar32 c) {
  return c >= 0 && u_charType(c) == U_DECIMAL_DIGIT_NUMBER;
}

bool isMinus(UChar32 c) {
  return c == '-' || c == minusSign;
}

// Whether `c` may stand in a currency prefix between a minus sign and the digits.
bool isCurrencyPrefix(UChar32 c) {
  if (c < 0) return false;
  if (c == '.' || c == 0x00A0 || c == 0x202F) return true;
  constexpr uint32_t categories = U_GC_SC_MASK | U_GC_CF_MASK | U_GC_MN_MASK | U_GC_L_MASK;
  return (U_GET_GC_MASK(c) & categories) != 0;
}

// Where the first minus sign in text[0, end) begins, if any.
std::optional<std::size_t> firstMinus(std::string_view text, std::size_t end) {
  std::size_t index = 0;
  while (index < end) {
    const std::size_t begin = index;
    if (isMinus(next(text, index))) return begin;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> QVRPastedNumberText::trimmedText(
    std::string_view text, const std::vector<std::string>& decimalSeparators) {
  // The first digit, and the end of the last digit or minus sign.
  std::optional<std::size_t> firstDigit;
  for (std::size_t index = 0; index < text.size();) {
    const std::size_t begin = index;
    if (isDigit(next(text, index))) {
      firstDigit = begin;
      break;
    }
  }
  if (!firstDigit) return std::nullopt;
  std::size_t end = text.size();
  while (end > *firstDigit) {
    std::size_t begin = end;
    const UChar32 c = previous(text, begin);
    if (isDigit(c) || isMinus(c)) break;
    end = begin;
  }

  std::size_t start = *firstDigit;
  for (const std::string& separator : decimalSeparators) {
    if (!separator.empty() && separator.size() <= start &&
        text.substr(start - separator.size(), separator.size()) == separator) {
      start -= separator.size();
      break;
    }
  }
  const std::string_view body = text.substr(start, end - start);
  // A minus sign before a currency prefix, and no other minus sign before it.
  std::size_t before = start;
  UChar32 c = U_SENTINEL;
  while (before > 0) {
    std::size_t begin = before;
    c = previous(text, begin);
    before = begin;
    if (!isCurrencyPrefix(c)) break;
    c = U_SENTINEL;
  }
  if (isMinus(c) && !firstMinus(text, before)) return "-" + std::string(body);
  // Otherwise the plain trimming: from the first minus sign or digit.
  if (const auto minus = firstMinus(text, start))
    return std::string(text.substr(*minus, end - *minus));
  return std::string(body);
}
