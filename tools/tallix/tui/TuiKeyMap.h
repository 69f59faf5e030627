#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tallix/tui/TuiInput.h"

namespace tallix {

// Where the keys of the full-screen calculator go.
enum class TuiFocus { expression, tape, help };

// What a key does in the full-screen calculator, beyond typing the calculator's own keys.
enum class TuiAction {
  finish,          // the Equal key: the calculation to the tape, its result stays
  deleteBackward,  // a letter of the key name being typed, or the delete key
  escape,          // drops the key name being typed, else clears
  signChange,
  switchFocus,
  showHelp,
  closeHelp,
  quit,
  copyResult,
  copyText,
  paste,
  toggleAngleMode,
  redraw,
  moveUp,
  moveDown,
  pageUp,
  pageDown,
  moveFirst,
  moveLast,
  takeEntry,
  toggleFavorite,
  removeEntry,
};

// The one table of the full-screen calculator's keys: which key does what where, and how the
// help panel names it. Characters that no row takes are typed into the expression as the
// line-mode calculator types them (TallixKeyTyper): digits, operators, key names, constants.
class TuiKeyMap {
 public:
  struct Binding {
    TuiFocus focus;
    TuiInput::Kind kind;
    TuiSpecialKey key;
    std::string_view text;  // the character or the control key's letter
    TuiAction action;
    std::string_view keyName;  // for the help panel; empty: listed with the row before
    std::string_view meaning;
  };

  static const std::vector<Binding>& bindings();
  // The action of `input` in `focus`; none for text to type (or a key that does nothing there).
  static std::optional<TuiAction> action(TuiFocus focus, const TuiInput& input);

  // The lines of the help panel: the keys of the full-screen calculator, then the calculator's
  // keys with what typing them takes and their spoken labels.
  static std::vector<std::string> helpLines();
};

}  // namespace tallix
