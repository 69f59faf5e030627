#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tallix/TallixKeyTyper.h"
#include "tallix/tui/TuiInput.h"
#include "tallix/tui/TuiKeyMap.h"
#include "tallix/tui/TuiLayout.h"

class QVRTallixExpression;
class QVRTallixTape;

namespace tallix {

// The full-screen calculator without its terminal: inputs in, the current expression, the tape
// and what the screen shows (focus, the chosen tape entry, the key name being typed, a message)
// out. The renderer draws from it; the screen feeds it.
//
// Typing works as in the line-mode calculator, key by key: characters go through the same key
// typer, and letters collect into a key name ("sin", "sqrt", "pi") that is typed when it is
// complete and no other name continues it, or when a character that is no letter follows (Space
// or Enter do). A title in braces types a constant. Enter (or =) is the Equal key: the
// calculation goes to the tape with saveToTape, and its result stays as the next expression.
//
// Identity object: the copy callback and the screen refer to it.
class TuiCalculator {
 public:
  // Key names and titles longer than this are dropped: nothing names so much.
  static constexpr std::size_t maximumPendingLength = 64;
  // Pasted text beyond this is not read.
  static constexpr std::size_t maximumPasteLength = 64 * 1024;

  TuiCalculator();
  TuiCalculator(const TuiCalculator&) = delete;
  TuiCalculator& operator=(const TuiCalculator&) = delete;

  void handle(const TuiInput& input);
  // Lays the panes out for a new terminal size.
  void resize(int width, int height);

  // Copies go to the pasteboard and then here with the copied text (the terminal's clipboard).
  void setCopyHandler(std::function<void(std::string_view)> handler) {
    _copyHandler = std::move(handler);
  }

  bool wantsToQuit() const { return _quit; }
  bool wantsRedraw() const { return _redraw; }
  void didRedraw() { _redraw = false; }
  TuiFocus focus() const { return _focus; }
  const TuiLayout& layout() const { return _layout; }
  const std::string& pendingWord() const { return _pending; }
  const std::string& message() const { return _message; }
  QVRTallixExpression& expression() const;
  QVRTallixTape& tape() const;
  // The chosen tape entry; none on an empty tape.
  std::optional<std::size_t> tapeSelection() const;
  // The first entry shown.
  std::size_t tapeTop() const { return _tapeTop; }
  std::size_t helpTop() const { return _helpTop; }

 private:
  void perform(TuiAction action);
  void type(const std::string& character);
  void resolvePending();
  void typeText(std::string_view text);
  void finish();
  void paste();
  void copy(const std::string& text);
  void moveSelection(long long delta);
  void keepSelectionVisible();
  int pageRows() const;

  TallixKeyTyper _typer;
  TuiLayout _layout;
  TuiFocus _focus = TuiFocus::expression;
  TuiFocus _focusBeforeHelp = TuiFocus::expression;
  std::string _pending;
  std::string _message;
  std::size_t _selection = 0;
  bool _selectionAtEnd = true;
  std::size_t _tapeTop = 0;
  std::size_t _helpTop = 0;
  bool _quit = false;
  bool _redraw = true;
  std::function<void(std::string_view)> _copyHandler;
};

}  // namespace tallix
