#pragma once

#include <string>
#include <vector>

#include "tallix/tui/TuiFrame.h"

class QVRTallixExpression;

namespace tallix {

// The expression's display items laid out on one row of cells by the terminal-cell engine, from
// column 0, as pieces to draw: typed digits and parentheses as text, operations with the text
// the engine draws in place of their images, calculated numbers boxed, the angle mode as a badge
// in front when a trigonometric function needs it.
class TuiExpressionRow {
 public:
  struct Piece {
    int column = 0;
    std::string text;
    TuiStyle style = TuiStyle::normal;
  };

  explicit TuiExpressionRow(const QVRTallixExpression& expression);

  const std::vector<Piece>& pieces() const { return _pieces; }
  // The column after the last piece.
  int end() const { return _end; }

 private:
  std::vector<Piece> _pieces;
  int _end = 0;
};

}  // namespace tallix
