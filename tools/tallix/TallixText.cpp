#include "tallix/TallixText.h"

#include <algorithm>
#include <charconv>

namespace tallix {

namespace {

bool sameLetter(char left, char right) {
  return lowercasedASCII(left) == lowercasedASCII(right);
}

}  // namespace

bool equalIgnoringASCIICase(std::string_view left, std::string_view right) {
  return std::equal(left.begin(), left.end(), right.begin(), right.end(), sameLetter);
}

bool hasPrefixIgnoringASCIICase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         equalIgnoringASCIICase(text.substr(0, prefix.size()), prefix);
}

std::optional<std::uint64_t> wholeNumber(std::string_view text) {
  std::uint64_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return number;
}

}  // namespace tallix
