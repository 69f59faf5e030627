#pragma once

#include <cctype>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "expression/QVRTallixExpression.h"

// Typing text key by key as `tallix eval` does: characters through keyTypeFromString (with the
// display's signs × ÷ − for * / -), and words of two or more letters naming the keys that have
// no character of their own.
namespace KeyTyping {

inline constexpr const char* keyNames =
    "sin 46 cos 48 tan 50 asin 47 acos 49 atan 51 sinh 53 cosh 55 tanh 57 asinh 54 acosh 56 "
    "atanh 58 ln 40 log 42 log10 42 log2 43 logy 41 exp 44 sqrt 35 cbrt 36 root 37 yroot 38 "
    "pow 30 ypow 31 sq 28 cube 29 inv 34 fact 27 ee 39 tenpow 32 twopow 33 rnd 25 round 25 "
    "pi 52 euler 45 neg 15 del 10 rad 59 deg 60";

inline std::optional<QVRTallixKeyType> named(std::string word) {
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::istringstream names(keyNames);
  std::string name;
  for (std::uint64_t key = 0; names >> name >> key;) {
    if (name == word) return static_cast<QVRTallixKeyType>(key);
  }
  return std::nullopt;
}

// The keys that `text` types; none for an unknown key name.
inline std::optional<std::vector<QVRTallixKeyType>> keysOf(const std::string& text) {
  const auto at = [&](std::size_t i) { return i < text.size() ? text[i] : ' '; };
  std::vector<QVRTallixKeyType> keys;
  for (std::size_t index = 0; index < text.size();) {
    std::size_t end = index;
    while (std::isalpha(static_cast<unsigned char>(at(end)))) ++end;
    std::size_t digitsEnd = end;
    while (end > index && std::isdigit(static_cast<unsigned char>(at(digitsEnd)))) ++digitsEnd;
    std::optional<QVRTallixKeyType> key;
    if (digitsEnd > end && (key = named(text.substr(index, digitsEnd - index)))) {
      end = digitsEnd;
    } else if (end > index + 1 && !(key = named(text.substr(index, end - index)))) {
      return std::nullopt;
    } else if (end == index) {
      // One character (one to four bytes of UTF-8).
      const auto lead = static_cast<unsigned char>(text[index]);
      end = index + (lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1);
    }
    std::string character = text.substr(index, end - index);
    for (const auto& [sign, ascii] : {std::pair{"×", "*"}, {"÷", "/"}, {"−", "-"}}) {
      if (character == sign) character = ascii;
    }
    keys.push_back(key.value_or(QVRTallixExpression::keyTypeFromString(character)));
    index = end;
  }
  return keys;
}

// Presses the keys of `text` on the expression.
inline void type(QVRTallixExpression& expression, const std::string& text) {
  for (const QVRTallixKeyType key : keysOf(text).value_or(std::vector<QVRTallixKeyType>{})) {
    expression.handleKey(key);
  }
}

}  // namespace KeyTyping
