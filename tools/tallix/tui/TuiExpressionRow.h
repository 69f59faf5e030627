#pragma once

#include <string>
#include <vector>

#include "tallix/tui/TuiFrame.h"

class QVRTallixExpression;

namespace tallix {

// The expression laid out on one row of cells, from column 0: typed digits and parentheses as
// text, operations with their signs, calculated numbers boxed, the angle mode as a badge in front
// when a trigonometric function needs it.
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
