#include "tallix/tui/TuiExpressionRow.h"

#include <algorithm>
#include <cmath>

#include "display/QVRTallixExpressionDisplayItem.h"
#include "display/QVRTerminalCellLayoutEngine.h"
#include "expression/QVRTallixExpression.h"

namespace tallix {

namespace {

// A frame's column or width as a whole number of cells; none for what no row can hold.
std::optional<int> cells(double value) {
  if (!(value >= 0) || value > 1e7) return std::nullopt;
  return static_cast<int>(std::lround(value));
}

}  // namespace

TuiExpressionRow::TuiExpressionRow(const QVRTallixExpression& expression) {
  QVRTerminalCellLayoutEngine& engine = QVRTerminalCellLayoutEngine::sharedEngine();
  const auto items = QVRTallixExpressionDisplayItem::displayItemsFromExpression(
      expression, engine.textAttributes());
  for (const QVRTallixExpressionDisplayItem& item : items) {
    const auto column = cells(item.frame().x);
    const auto width = cells(item.frame().width);
    if (!column || !width) continue;
    std::string text = QVRTerminalCellLayoutEngine::cellText(item);
    TuiStyle style = TuiStyle::normal;
    switch (item.type()) {
      case QVRTallixExpressionDisplayItemTypeDigit:
      case QVRTallixExpressionDisplayItemTypeOperation:
        break;
      case QVRTallixExpressionDisplayItemTypeTrignometricMode:
        style = TuiStyle::badge;
        break;
      case QVRTallixExpressionDisplayItemTypeCalculatedNumber:
        // The box covers the item's cells, the number inside it after one cell of edge.
        style = TuiStyle::boxed;
        _pieces.push_back({*column, std::string(static_cast<std::size_t>(*width), ' '), style});
        _pieces.push_back({*column + 1, std::move(text), style});
        _end = std::max(_end, *column + *width);
        continue;
    }
    _pieces.push_back({*column, std::move(text), style});
    _end = std::max(_end, *column + *width);
  }
}

}  // namespace tallix
