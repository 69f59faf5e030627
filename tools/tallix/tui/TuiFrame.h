#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tallix {

// How a cell is drawn; the screen turns each style into terminal attributes.
enum class TuiStyle : std::uint8_t {
  normal,
  dim,
  title,
  selected,  // the chosen tape entry, the focused pane's title
  boxed,     // a calculated number
  badge,     // the angle mode
  pending,   // a key name being typed
  message,
};

// One screenful of cells, drawn by the renderer and shown by the screen (or read by the tests
// and the benchmark). A wide character takes its cell and the next, which is marked as its
// continuation; writes that would split one blank out the other half.
class TuiFrame {
 public:
  struct Cell {
    std::string text = " ";
    TuiStyle style = TuiStyle::normal;
    bool continuation = false;
  };

  TuiFrame(int width, int height);

  int width() const { return _width; }
  int height() const { return _height; }
  const Cell& cell(int row, int column) const;

  // Writes `text` from (row, column) on, clipped before `limit` (the frame's width when
  // negative). Answers the column after the text; rows and columns outside write nothing.
  int put(int row, int column, std::string_view text, TuiStyle style, int limit = -1);
  // Sets the style of `count` cells from (row, column) on, blanking them.
  void fill(int row, int column, int count, TuiStyle style);

  // Where the terminal's cursor stands; none hides it.
  const std::optional<std::pair<int, int>>& cursor() const { return _cursor; }
  void setCursor(std::optional<std::pair<int, int>> cursor) { _cursor = cursor; }

  // The rows as text, each without its trailing blanks, joined by line feeds.
  std::string text() const;

 private:
  Cell& at(int row, int column) { return _cells[static_cast<std::size_t>(row * _width + column)]; }
  void blankAround(int row, int column);

  int _width;
  int _height;
  std::vector<Cell> _cells;
  std::optional<std::pair<int, int>> _cursor;
};

}  // namespace tallix
