#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "numbers/QVRTallixDecimal.h"

// Reads one decimal number from the start of a text, byte by byte over its UTF-8 form (see
// QVRTallixDecimal::fromString).
//
// The significant digits are collected first and rounded once, plainly, when the exponent is
// known: to the widest mantissa below 2^128, or further when the value's last digit would lie
// below 10^−128. Rounding only once keeps texts such as 0.49999…95 × 10^−128 from rounding twice
// (first to 0.5, then up), and lets the largest value, (2^128 − 1) × 10^127, read back from its
// own 39 digits.
class QVRDecimalScanner {
 public:
  QVRDecimalScanner(std::string_view text, std::string_view decimalSeparator)
      : _text(text), _separator(decimalSeparator) {}

  // The number at the current position; none when no digit was read or the value is too large
  // (the position then stays after what was read).
  std::optional<QVRTallixDecimal> scanNumber();
  bool isAtEnd() const { return _index >= _text.size(); }
  std::size_t position() const { return _index; }

 private:
  // The most significant digits kept: the 39 of the widest mantissa and the digit that rounds it.
  static constexpr int collectedDigitLimit = 40;

  void skipWhitespace();
  bool matchesSeparator() const;
  // Reads "e" or "E", an optional sign and digits, when they follow; a lone "e" stays unread.
  void scanExponent(std::int64_t& exponent);
  // The length of the Unicode white space character at the current position, 0 if none.
  std::size_t whitespaceLength() const;

  std::string_view _text;
  std::string_view _separator;
  std::size_t _index = 0;
};
