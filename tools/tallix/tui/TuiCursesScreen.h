#pragma once

#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tallix/tui/TuiFrame.h"
#include "tallix/tui/TuiInput.h"

struct screen;

namespace tallix {

// The terminal under ncurses (wide characters): keys in, frames out. Made on standard input and
// output; gives the terminal back as it was (and turns bracketed paste off again) when it goes.
class TuiCursesScreen {
 public:
  // None, with the reason in `error`, when the terminal cannot be opened (unknown TERM).
  static std::unique_ptr<TuiCursesScreen> open(std::string& error);
  ~TuiCursesScreen();
  // Identity object: ncurses keeps one current screen.
  TuiCursesScreen(const TuiCursesScreen&) = delete;
  TuiCursesScreen& operator=(const TuiCursesScreen&) = delete;

  // Columns and rows.
  std::pair<int, int> size() const;
  // Everything the terminal has sent so far, without waiting.
  std::vector<TuiInput> readInputs();
  void draw(const TuiFrame& frame);
  // Sends the text to the terminal's clipboard (OSC 52).
  void writeClipboard(std::string_view text);

 private:
  explicit TuiCursesScreen(::screen* screen) : _screen(screen) {}
  std::optional<TuiInput> input(int status, wint_t character);

  ::screen* _screen;
  // Bracketed paste: the text between its start and end keys, while one is arriving.
  std::optional<std::string> _paste;
};

}  // namespace tallix
