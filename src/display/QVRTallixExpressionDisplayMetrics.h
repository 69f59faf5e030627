#pragma once

// The display's metrics, in points.

// Corner radius of the box around a calculated number; the box adds it on both sides of the text.
inline constexpr double QVRTallixExpressionDisplayItemBorderRadius = 3.0;
// Extra width of a calculated number's box.
inline constexpr double QVRTallixExpressionBorderPadding = 4.0;
// Gap after every item and after every run of text.
inline constexpr double QVRTallixExpressionItemPadding = 3.0;
// Height of an item row, for the user interface.
inline constexpr double QVRTallixExpressionDisplayItemHeight = 17.0;
// Font size of the expression text, for the user interface.
inline constexpr double QVRTallixExpressionDisplayFontSize = 15.0;

// The spacing that the layout reads at each call: the exported metrics unless an engine measures
// in other units.
struct QVRTallixExpressionDisplayMetrics {
  double borderRadius = QVRTallixExpressionDisplayItemBorderRadius;
  double borderPadding = QVRTallixExpressionBorderPadding;
  double itemPadding = QVRTallixExpressionItemPadding;
  // The vertical position given to "(" and ")" items, which sit slightly lower than the glyph's
  // baseline position says.
  double parenthesisY = 1.0;
};
