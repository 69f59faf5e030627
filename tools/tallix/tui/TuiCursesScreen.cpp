#include "tallix/tui/TuiCursesScreen.h"

#include <unistd.h>

#include <curses.h>
#include <unicode/utf8.h>
#include <cstdio>

#include "tallix/tui/TuiClipboardSequence.h"

namespace tallix {

namespace {

// The codes that ncurses gives for the start and the end of a bracketed paste.
constexpr int pasteBeginKey = KEY_MAX + 1;
constexpr int pasteEndKey = KEY_MAX + 2;
constexpr const char* bracketedPasteOn = "\x1b[?2004h";
constexpr const char* bracketedPasteOff = "\x1b[?2004l";

void writeTerminal(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (written <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void appendUTF8(std::string& text, wint_t character) {
  const auto c = static_cast<UChar32>(character);
  if (c < 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return;
  char buffer[U8_MAX_LENGTH];
  std::int32_t length = 0;
  UBool failed = false;
  U8_APPEND(reinterpret_cast<std::uint8_t*>(buffer), length, U8_MAX_LENGTH, c, failed);
  if (!failed) text.append(buffer, static_cast<std::size_t>(length));
}

// The terminal's function keys and what they are to the calculator.
std::optional<TuiSpecialKey> specialKey(int code) {
  switch (code) {
    case KEY_ENTER:
      return TuiSpecialKey::enter;
    case KEY_BACKSPACE:
      return TuiSpecialKey::backspace;
    case KEY_DC:
      return TuiSpecialKey::deleteForward;
    case KEY_BTAB:
      return TuiSpecialKey::backTab;
    case KEY_UP:
      return TuiSpecialKey::up;
    case KEY_DOWN:
      return TuiSpecialKey::down;
    case KEY_LEFT:
      return TuiSpecialKey::left;
    case KEY_RIGHT:
      return TuiSpecialKey::right;
    case KEY_PPAGE:
      return TuiSpecialKey::pageUp;
    case KEY_NPAGE:
      return TuiSpecialKey::pageDown;
    case KEY_HOME:
      return TuiSpecialKey::home;
    case KEY_END:
      return TuiSpecialKey::end;
    case KEY_F(1):
      return TuiSpecialKey::f1;
    default:
      return std::nullopt;
  }
}

attr_t attributes(TuiStyle style) {
  switch (style) {
    case TuiStyle::normal:
      return A_NORMAL;
    case TuiStyle::dim:
      return A_DIM;
    case TuiStyle::title:
    case TuiStyle::message:
      return A_BOLD;
    case TuiStyle::selected:
      return A_REVERSE;
    case TuiStyle::boxed:
      return A_REVERSE | A_BOLD;
    case TuiStyle::badge:
      return A_STANDOUT | A_BOLD;
    case TuiStyle::pending:
      return A_UNDERLINE;
  }
  return A_NORMAL;
}

}  // namespace

std::unique_ptr<TuiCursesScreen> TuiCursesScreen::open(std::string& error) {
  ::screen* screen = newterm(nullptr, stdout, stdin);
  if (!screen) {
    const char* term = std::getenv("TERM");
    error = std::string("cannot use the terminal '") + (term ? term : "") + "'";
    return nullptr;
  }
  set_term(screen);
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  nodelay(stdscr, TRUE);
  set_escdelay(25);
  define_key("\x1b[200~", pasteBeginKey);
  define_key("\x1b[201~", pasteEndKey);
  writeTerminal(bracketedPasteOn);
  return std::unique_ptr<TuiCursesScreen>(new TuiCursesScreen(screen));
}

TuiCursesScreen::~TuiCursesScreen() {
  writeTerminal(bracketedPasteOff);
  endwin();
  delscreen(_screen);
}

std::pair<int, int> TuiCursesScreen::size() const {
  return {getmaxx(stdscr), getmaxy(stdscr)};
}

std::optional<TuiInput> TuiCursesScreen::input(int status, wint_t character) {
  if (status == KEY_CODE_YES) {
    const int code = static_cast<int>(character);
    if (code == pasteBeginKey) {
      _paste.emplace();
      return std::nullopt;
    }
    if (code == pasteEndKey) {
      if (!_paste) return std::nullopt;
      TuiInput pasted = TuiInput::paste(std::move(*_paste));
      _paste.reset();
      return pasted;
    }
    if (_paste) return std::nullopt;
    if (code == KEY_RESIZE) return TuiInput::resize();
    if (const auto key = specialKey(code)) return TuiInput::special(*key);
    return std::nullopt;
  }
  if (_paste) {
    if (_paste->size() < 1024 * 1024) appendUTF8(*_paste, character);
    return std::nullopt;
  }
  switch (character) {
    case L'\r':
    case L'\n':
      return TuiInput::special(TuiSpecialKey::enter);
    case L'\t':
      return TuiInput::special(TuiSpecialKey::tab);
    case 0x7F:
    case 0x08:
      return TuiInput::special(TuiSpecialKey::backspace);
    case 0x1B:
      return TuiInput::special(TuiSpecialKey::escape);
    default:
      break;
  }
  if (character >= 1 && character <= 26) {
    return TuiInput::control(static_cast<char>('a' + character - 1));
  }
  if (character < 0x20 || (character >= 0x80 && character < 0xA0)) return std::nullopt;
  std::string text;
  appendUTF8(text, character);
  if (text.empty()) return std::nullopt;
  return TuiInput::character(std::move(text));
}

std::vector<TuiInput> TuiCursesScreen::readInputs() {
  std::vector<TuiInput> inputs;
  wint_t character = 0;
  int status;
  while ((status = wget_wch(stdscr, &character)) != ERR) {
    if (auto next = input(status, character)) inputs.push_back(std::move(*next));
  }
  return inputs;
}

void TuiCursesScreen::draw(const TuiFrame& frame) {
  const auto [columns, rows] = size();
  std::wstring wide;
  for (int row = 0; row < std::min(rows, frame.height()); ++row) {
    for (int column = 0; column < std::min(columns, frame.width()); ++column) {
      const TuiFrame::Cell& cell = frame.cell(row, column);
      if (cell.continuation) continue;
      wide.clear();
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(cell.text.data());
      const auto length = static_cast<std::int32_t>(cell.text.size());
      std::int32_t index = 0;
      while (index < length && wide.size() + 1 < CCHARW_MAX) {
        UChar32 c = 0;
        U8_NEXT(bytes, index, length, c);
        if (c > 0) wide += static_cast<wchar_t>(c);
      }
      if (wide.empty()) wide = L" ";
      cchar_t drawn;
      setcchar(&drawn, wide.c_str(), attributes(cell.style), 0, nullptr);
      mvwadd_wch(stdscr, row, column, &drawn);
    }
  }
  if (const auto& cursor = frame.cursor()) {
    curs_set(1);
    wmove(stdscr, cursor->first, cursor->second);
  } else {
    curs_set(0);
  }
  wnoutrefresh(stdscr);
  doupdate();
}

void TuiCursesScreen::writeClipboard(std::string_view text) {
  const std::string sequence = TuiClipboardSequence::forText(text);
  if (sequence.empty()) return;
  writeTerminal(sequence);
}

}  // namespace tallix
