#include "tallix/tui/TuiExpressionRow.h"

#include "expression/QVRTallixExpression.h"
#include "tallix/tui/TuiCellText.h"

namespace tallix {

TuiExpressionRow::TuiExpressionRow(const QVRTallixExpression& expression) {
  int column = 0;
  std::string run;
  const auto add = [&](std::string text, TuiStyle style) {
    const int width = static_cast<int>(TuiCellText::width(text));
    _pieces.push_back({column, std::move(text), style});
    column += width;
  };
  const auto flush = [&] {
    if (run.empty()) return;
    add(std::move(run), TuiStyle::normal);
    run.clear();
    ++column;
  };
  if (expression.hasTrignometricFunctions()) {
    add(expression.radMode() ? "RAD" : "DEG", TuiStyle::badge);
    ++column;
  }
  for (const QVRTallixComponent& component : expression.components()) {
    if (component.isOperation(QVRTallixOperationEqual)) continue;
    const QVRTallixAnyNumber* number = component.tallixNumber();
    if (component.isParenthesisOperation() || (number && number->canEdit())) {
      // Typed digits and parentheses run together as text.
      run += component.editString().value_or("");
      continue;
    }
    flush();
    if (number) {
      add(" " + number->formattedString() + " ", TuiStyle::boxed);
    } else {
      add(component.editString().value_or("?"), TuiStyle::normal);
    }
    ++column;
  }
  flush();
  _end = column > 0 ? column - 1 : 0;
}

}  // namespace tallix
