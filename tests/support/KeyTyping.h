#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "expression/QVRTallixExpression.h"

// Typing text key by key as `tallix eval` does: characters through keyTypeFromString (with the
// display's signs × ÷ − for * / -), and words of two or more letters naming the keys that have
// no character ("sin", "inv", "pi", "rad", "del", ...).
namespace KeyTyping {

// The key names of `tallix eval` (words of two or more letters).
inline const std::map<std::string, QVRTallixKeyType, std::less<>> keyNames = {
    {"sin", QVRTallixKeyTypeSine},
    {"cos", QVRTallixKeyTypeCosine},
    {"tan", QVRTallixKeyTypeTangent},
    {"asin", QVRTallixKeyTypeInverseSine},
    {"acos", QVRTallixKeyTypeInverseCosine},
    {"atan", QVRTallixKeyTypeInverseTangent},
    {"sinh", QVRTallixKeyTypeHyperbolicSine},
    {"cosh", QVRTallixKeyTypeHyperbolicCosine},
    {"tanh", QVRTallixKeyTypeHyperbolicTangent},
    {"asinh", QVRTallixKeyTypeInverseHyperbolicSine},
    {"acosh", QVRTallixKeyTypeInverseHyperbolicCosine},
    {"atanh", QVRTallixKeyTypeInverseHyperbolicTangent},
    {"ln", QVRTallixKeyTypeNaturalLogarithm},
    {"log", QVRTallixKeyTypeLogarithmBase10},
    {"log10", QVRTallixKeyTypeLogarithmBase10},
    {"log2", QVRTallixKeyTypeLogarithmBase2},
    {"logy", QVRTallixKeyTypeLogarithmToABase},
    {"exp", QVRTallixKeyTypeExponential},
    {"sqrt", QVRTallixKeyTypeSquareRoot},
    {"cbrt", QVRTallixKeyTypeCubeRoot},
    {"root", QVRTallixKeyTypeXthRootOfY},
    {"yroot", QVRTallixKeyTypeYthRootOfX},
    {"pow", QVRTallixKeyTypePower},
    {"ypow", QVRTallixKeyTypeReversePower},
    {"sq", QVRTallixKeyTypeSquare},
    {"cube", QVRTallixKeyTypeCube},
    {"inv", QVRTallixKeyTypeReciprocal},
    {"fact", QVRTallixKeyTypeFactorial},
    {"ee", QVRTallixKeyTypeEngineeringExponent},
    {"tenpow", QVRTallixKeyTypeTenToThePower},
    {"twopow", QVRTallixKeyTypeTwoToThePower},
    {"rnd", QVRTallixKeyTypeRound},
    {"round", QVRTallixKeyTypeRound},
    {"pi", QVRTallixKeyTypePi},
    {"euler", QVRTallixKeyTypeEulersNumber},
    {"neg", QVRTallixKeyTypeSignChange},
    {"del", QVRTallixKeyTypeDelete},
    {"rad", QVRTallixKeyTypeAngleModeDegrees},
    {"deg", QVRTallixKeyTypeAngleModeRadians}};

inline bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

inline std::string lowercased(std::string text) {
  for (char& c : text) c = static_cast<char>(isLetter(c) && c < 'a' ? c + 32 : c);
  return text;
}

// The keys that `text` types; none for an unknown key name.
inline std::optional<std::vector<QVRTallixKeyType>> keysOf(const std::string& text) {
  std::vector<QVRTallixKeyType> keys;
  for (std::size_t index = 0; index < text.size();) {
    if (isLetter(text[index])) {
      std::size_t end = index;
      while (end < text.size() && isLetter(text[end])) ++end;
      std::size_t digitsEnd = end;
      while (digitsEnd < text.size() && isDigit(text[digitsEnd])) ++digitsEnd;
      const std::string word = text.substr(index, end - index);
      if (auto found = keyNames.find(lowercased(text.substr(index, digitsEnd - index)));
          digitsEnd > end && found != keyNames.end()) {
        keys.push_back(found->second);
        index = digitsEnd;
      } else if (word.size() == 1) {
        keys.push_back(QVRTallixExpression::keyTypeFromString(word));
        index = end;
      } else if (auto named = keyNames.find(lowercased(word)); named != keyNames.end()) {
        keys.push_back(named->second);
        index = end;
      } else {
        return std::nullopt;
      }
      continue;
    }
    std::size_t length = 1;
    const auto lead = static_cast<unsigned char>(text[index]);
    if (lead >= 0xF0)
      length = 4;
    else if (lead >= 0xE0)
      length = 3;
    else if (lead >= 0xC0)
      length = 2;
    std::string character = text.substr(index, length);
    if (character == "×") character = "*";
    if (character == "÷") character = "/";
    if (character == "−") character = "-";
    keys.push_back(QVRTallixExpression::keyTypeFromString(character));
    index += length;
  }
  return keys;
}

// Presses the keys of `text` on the expression.
inline void type(QVRTallixExpression& expression, const std::string& text) {
  const auto keys = keysOf(text);
  if (keys) {
    for (const QVRTallixKeyType key : *keys) expression.handleKey(key);
  }
}

}  // namespace KeyTyping
