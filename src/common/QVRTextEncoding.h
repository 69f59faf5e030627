#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Checked conversions between UTF-8, UTF-16 and code points, for decoders of outside bytes:
// anything that is not well-formed (overlong forms, surrogates in UTF-8, lone surrogates in
// UTF-16, code points beyond U+10FFFF) is refused rather than repaired.
class QVRTextEncoding {
 public:
  QVRTextEncoding() = delete;

  static bool isValidUTF8(std::string_view text);
  // The code point at `position`, which then moves past it; none (position unchanged) when the
  // bytes there are not well-formed UTF-8 or the text ends.
  static std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t& position);
  // Appends the UTF-8 form of a code point; false (nothing appended) for a surrogate or a value
  // beyond U+10FFFF.
  static bool appendUTF8(std::string& text, char32_t codePoint);
  // UTF-16 code units, big- or little-endian in pairs of bytes, as UTF-8; none for an odd byte
  // count or a lone surrogate.
  static std::optional<std::string> utf8FromUTF16(std::span<const std::uint8_t> bytes,
                                                  bool bigEndian);
};
