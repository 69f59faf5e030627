#include "tallix/tui/TuiFrame.h"

#include <algorithm>

#include "tallix/tui/TuiCellText.h"

namespace tallix {

TuiFrame::TuiFrame(int width, int height)
    : _width(std::max(width, 0)),
      _height(std::max(height, 0)),
      _cells(static_cast<std::size_t>(_width) * static_cast<std::size_t>(_height)) {}

const TuiFrame::Cell& TuiFrame::cell(int row, int column) const {
  static const Cell outside;
  if (row < 0 || row >= _height || column < 0 || column >= _width) return outside;
  return _cells[static_cast<std::size_t>(row * _width + column)];
}

void TuiFrame::blankAround(int row, int column) {
  Cell& cell = at(row, column);
  if (cell.continuation && column > 0) {
    at(row, column - 1).text = " ";
  } else if (column + 1 < _width && at(row, column + 1).continuation) {
    at(row, column + 1) = Cell{" ", at(row, column + 1).style, false};
  }
  cell.continuation = false;
}

int TuiFrame::put(int row, int column, std::string_view text, TuiStyle style, int limit) {
  const int end = limit < 0 ? _width : std::min(limit, _width);
  if (row < 0 || row >= _height) return column;
  for (const TuiCellText::Cluster& cluster : TuiCellText::clusters(text)) {
    if (column >= end) break;
    if (column < 0) {
      column += cluster.width;
      // The right half of a wide character cut by the left edge is a blank.
      if (column > 0 && end > 0) {
        blankAround(row, 0);
        at(row, 0) = Cell{" ", style, false};
      }
      continue;
    }
    blankAround(row, column);
    if (cluster.width == 2) {
      if (column + 1 >= end) {
        // Half a wide character does not fit: a blank stands in for it.
        at(row, column) = Cell{" ", style, false};
        return column + 1;
      }
      blankAround(row, column + 1);
      at(row, column) = Cell{cluster.text, style, false};
      at(row, column + 1) = Cell{"", style, true};
    } else {
      at(row, column) = Cell{cluster.text, style, false};
    }
    column += cluster.width;
  }
  return column;
}

void TuiFrame::fill(int row, int column, int count, TuiStyle style) {
  if (row < 0 || row >= _height) return;
  const int first = std::max(column, 0);
  const int end = std::min(column + std::max(count, 0), _width);
  for (int index = first; index < end; ++index) {
    blankAround(row, index);
    at(row, index) = Cell{" ", style, false};
  }
}

std::string TuiFrame::text() const {
  std::string text;
  for (int row = 0; row < _height; ++row) {
    std::string line;
    for (int column = 0; column < _width; ++column) line += cell(row, column).text;
    line.erase(line.find_last_not_of(' ') + 1);
    if (row > 0) text += '\n';
    text += line;
  }
  return text;
}

}  // namespace tallix
