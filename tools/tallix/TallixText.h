#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tallix {

// ASCII letters and digits: what key names and typed numbers are made of.
constexpr bool isASCIILetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr bool isASCIIDigit(char c) {
  return c >= '0' && c <= '9';
}

// The ASCII capital letters made small; every other byte as it is.
constexpr char lowercasedASCII(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether two texts are equal when ASCII letters are compared without case (uuids, titles typed
// on the command line); other bytes compare as they are.
bool equalIgnoringASCIICase(std::string_view left, std::string_view right);

// Whether `text` begins with `prefix`, ASCII letters compared without case.
bool hasPrefixIgnoringASCIICase(std::string_view text, std::string_view prefix);

// The whole text read as a decimal count ("12"), or none: no sign, no blanks, nothing after it.
std::optional<std::uint64_t> wholeNumber(std::string_view text);

}  // namespace tallix
