#pragma once

#include <optional>
#include <string>
#include <vector>

#include "expression/QVRTallixExpression.h"
#include "tallix/TallixKeyTyper.h"

// Typing text key by key as `tallix eval` does (tallix::TallixKeyTyper).
namespace KeyTyping {

// The keys that `text` types; none for an unknown key name.
inline std::optional<std::vector<QVRTallixKeyType>> keysOf(const std::string& text) {
  std::vector<QVRTallixKeyType> keys;
  if (tallix::TallixKeyTyper().keyTypes(text, keys)) return std::nullopt;
  return keys;
}

// Presses the keys of `text` on the expression.
inline void type(QVRTallixExpression& expression, const std::string& text) {
  for (const QVRTallixKeyType key : keysOf(text).value_or(std::vector<QVRTallixKeyType>{})) {
    expression.handleKey(key);
  }
}

}  // namespace KeyTyping
