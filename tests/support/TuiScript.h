#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tallix/tui/TuiInput.h"

// Keys written as text for the full-screen calculator's tests: characters stand for themselves,
// named keys go in angle brackets ("12+3<Enter><Tab><Up><^Y>"), "<paste:TEXT>" pastes TEXT.
inline std::vector<tallix::TuiInput> tuiInputs(std::string_view script) {
  using tallix::TuiInput;
  using tallix::TuiSpecialKey;
  // The names of the special keys, in the order of TuiSpecialKey.
  constexpr std::string_view specials[] = {"",     "Enter", "BS",   "Del",  "Tab",   "BTab",
                                           "Esc",  "Up",    "Down", "Left", "Right", "PgUp",
                                           "PgDn", "Home",  "End",  "F1"};
  std::vector<TuiInput> inputs;
  std::size_t index = 0;
  while (index < script.size()) {
    if (script[index] == '<' && script.find('>', index) != std::string_view::npos &&
        script.find('>', index) > index + 1) {
      const std::size_t close = script.find('>', index);
      const std::string_view name = script.substr(index + 1, close - index - 1);
      index = close + 1;
      if (name.starts_with("paste:")) {
        inputs.push_back(TuiInput::paste(std::string(name.substr(6))));
      } else if (name.size() == 2 && name[0] == '^') {
        inputs.push_back(TuiInput::control(static_cast<char>(name[1] - 'A' + 'a')));
      } else {
        for (std::size_t key = 1; key < std::size(specials); ++key) {
          if (specials[key] == name) inputs.push_back(TuiInput::special(TuiSpecialKey(key)));
        }
      }
      continue;
    }
    const auto lead = static_cast<unsigned char>(script[index]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    inputs.push_back(TuiInput::character(std::string(script.substr(index, length))));
    index += length;
  }
  return inputs;
}
