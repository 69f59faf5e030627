#pragma once

#include <string>

namespace tallix {

// The keys of the terminal that are no text.
enum class TuiSpecialKey {
  none,
  enter,
  backspace,
  deleteForward,
  tab,
  backTab,
  escape,
  up,
  down,
  left,
  right,
  pageUp,
  pageDown,
  home,
  end,
  f1,
};

// One thing the terminal gave the full-screen calculator: a typed character (UTF-8, one code
// point), a key without text, a control key (its letter, "c" for Control-C), text pasted in one
// piece (bracketed paste), or a new size.
struct TuiInput {
  enum class Kind { character, special, control, paste, resize };

  Kind kind = Kind::special;
  TuiSpecialKey key = TuiSpecialKey::none;
  std::string text;

  static TuiInput character(std::string text) {
    return {Kind::character, TuiSpecialKey::none, std::move(text)};
  }
  static TuiInput special(TuiSpecialKey key) { return {Kind::special, key, {}}; }
  static TuiInput control(char letter) {
    return {Kind::control, TuiSpecialKey::none, std::string(1, letter)};
  }
  static TuiInput paste(std::string text) {
    return {Kind::paste, TuiSpecialKey::none, std::move(text)};
  }
  static TuiInput resize() { return {Kind::resize, TuiSpecialKey::none, {}}; }
};

}  // namespace tallix
