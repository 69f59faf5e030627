#pragma once

namespace tallix {

// A rectangle of cells.
struct TuiRect {
  int row = 0;
  int column = 0;
  int width = 0;
  int height = 0;
};

// Where the panes of the full-screen calculator go for a terminal size. Wide terminals show the
// tape beside the expression, narrow ones above it; below the smallest size nothing but a short
// line fits.
struct TuiLayout {
  static constexpr int minimumWidth = 24;
  static constexpr int minimumHeight = 8;
  static constexpr int wideWidth = 100;

  static TuiLayout forSize(int width, int height);

  int width = 0;
  int height = 0;
  bool tooSmall = true;
  bool tapeBeside = false;
  TuiRect expressionTitle;
  TuiRect expression;  // the expression's row
  TuiRect result;
  TuiRect tapeTitle;
  TuiRect tape;  // the entries
  TuiRect status;
  TuiRect hints;
};

}  // namespace tallix
