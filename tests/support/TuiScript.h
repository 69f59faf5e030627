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
  static const struct {
    std::string_view name;
    TuiSpecialKey key;
  } specials[] = {
      {"Enter", TuiSpecialKey::enter},       {"BS", TuiSpecialKey::backspace},
      {"Del", TuiSpecialKey::deleteForward}, {"Tab", TuiSpecialKey::tab},
      {"Esc", TuiSpecialKey::escape},        {"Up", TuiSpecialKey::up},
      {"Down", TuiSpecialKey::down},         {"PgUp", TuiSpecialKey::pageUp},
      {"PgDn", TuiSpecialKey::pageDown},     {"Home", TuiSpecialKey::home},
      {"End", TuiSpecialKey::end},           {"F1", TuiSpecialKey::f1},
  };
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
        for (const auto& special : specials) {
          if (special.name == name) inputs.push_back(TuiInput::special(special.key));
        }
      }
      continue;
    }
    std::size_t length = 1;
    const auto lead = static_cast<unsigned char>(script[index]);
    if (lead >= 0xF0)
      length = 4;
    else if (lead >= 0xE0)
      length = 3;
    else if (lead >= 0xC0)
      length = 2;
    inputs.push_back(TuiInput::character(std::string(script.substr(index, length))));
    index += length;
  }
  return inputs;
}
