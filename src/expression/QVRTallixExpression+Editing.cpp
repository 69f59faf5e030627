// The editing rules: what a number, an operation, a digit, the separator, the sign, delete and
// clear do to the end of the list.
//
// The rules assume a list that they built themselves (never empty, every operator preceded by an
// operand). Lists made otherwise (initWithComponents, archives) are only kept harmless: no rule
// reads past either end of the list.

#include <memory>

#include "expression/QVRTallixExpression.h"

void QVRTallixExpression::removeLastNonDoubleArgumentNonParenthesisOperation() {
  while (!_components.empty()) {
    const QVRTallixComponent& last = _components.back();
    if (last.isTallixNumber()) {
      _components.pop_back();
      return;
    }
    if (last.isOperation(QVRTallixOperationCloseParenthesis)) {
      // The group goes with its matching open parenthesis.
      long count = 0;
      while (!_components.empty()) {
        const QVRTallixOperation removed = _components.back().operation();
        _components.pop_back();
        if (removed == QVRTallixOperationCloseParenthesis) ++count;
        if (removed == QVRTallixOperationOpenParenthesis) --count;
        if (count == 0) break;
      }
      return;
    }
    if (last.isDoubleArgumentOperation() || last.isOperation(QVRTallixOperationOpenParenthesis)) {
      return;
    }
    // A postfix function, Negate, Percent or Equal: it goes, and so does its operand.
    _components.pop_back();
  }
}

void QVRTallixExpression::appendNumber(QVRTallixAnyNumber number) {
  removeLastNonDoubleArgumentNonParenthesisOperation();
  _components.emplace_back(std::move(number));
  setDirty(true);
}

void QVRTallixExpression::addNumber(const QVRTallixNumber& number) {
  appendNumber(QVRTallixAnyNumber(number.copy()));
}

void QVRTallixExpression::addNumber(const QVRTallixAnyNumber& number) {
  appendNumber(number.copy());
}

void QVRTallixExpression::addOrReplaceWithNumber(const QVRTallixNumber& number) {
  addOrReplaceWithNumber(QVRTallixAnyNumber(number.copy()));
}

void QVRTallixExpression::addOrReplaceWithNumber(const QVRTallixAnyNumber& number) {
  const QVRTallixEditableNumber* editable = currentEditableNumber();
  if (editable && editable->isBlank()) {
    _components.pop_back();
  } else if (!_components.empty() && !_components.back().isDoubleArgumentOperation() &&
             !_components.back().isOperation(QVRTallixOperationOpenParenthesis)) {
    _components.clear();
  }
  _components.push_back(QVRTallixComponent::componentWithTallixNumber(number));
  setDirty(true);
}

void QVRTallixExpression::addOperation(QVRTallixOperation operation) {
  // An open parenthesis at the end gives way to every operation but Negate and another open
  // parenthesis: "( )" vanishes, "( ×" becomes "×" after what came before the parenthesis.
  while (!_components.empty() &&
         _components.back().isOperation(QVRTallixOperationOpenParenthesis)) {
    if (operation == QVRTallixOperationNegate || operation == QVRTallixOperationOpenParenthesis) {
      break;
    }
    _components.pop_back();
    if (_components.empty()) {
      _components.push_back(plainZeroComponent());
      setDirty(true);
      return;
    }
    if (operation == QVRTallixOperationCloseParenthesis) {
      setDirty(true);
      return;
    }
  }
  if (_components.empty()) {
    appendOperation(operation);
    return;
  }
  const QVRTallixComponent& last = _components.back();
  const QVRTallixOperation lastOperation = last.operation();
  // A number, or (only from archives) a component of no number and no operation.
  if (lastOperation == QVRTallixOperationNone) {
    addOperationAfterOperand(operation);
    return;
  }
  if (operation == QVRTallixOperationNegate) {
    if (lastOperation == QVRTallixOperationNegate) {
      _components.pop_back();
      setDirty(true);
      return;
    }
    if (last.isDoubleArgumentOperation() || lastOperation == QVRTallixOperationOpenParenthesis) {
      // A number yet without digits that carries the minus sign.
      auto negative = std::make_unique<QVRTallixEditableNumber>();
      negative->addNegation();
      appendNumber(QVRTallixAnyNumber(std::move(negative)));
      return;
    }
    addOperationAfterOperand(operation);
    return;
  }
  if (operation == QVRTallixOperationOpenParenthesis ||
      operation == QVRTallixOperationCloseParenthesis) {
    addOperationAfterOperand(operation);
    return;
  }
  if (QVRTallixOperationIsIn(operation, QVRTallixOperationClass::doubleArgument)) {
    // A trailing operator (or Equal) is replaced by the new one.
    if (!last.isFunctionOperation() && lastOperation != QVRTallixOperationCloseParenthesis) {
      _components.pop_back();
    }
    addOperationAfterOperand(operation);
    return;
  }
  if (operation == QVRTallixOperationInvert && lastOperation == QVRTallixOperationInvert) {
    _components.pop_back();
    setDirty(true);
    return;
  }
  // Functions, Percent and Equal are appended wherever they come.
  appendOperation(operation);
}

void QVRTallixExpression::addOperationAfterOperand(QVRTallixOperation operation) {
  if (operation == QVRTallixOperationOpenParenthesis) {
    // No implied multiplication: the parenthesis replaces the operand at the end.
    removeLastNonDoubleArgumentNonParenthesisOperation();
  } else if (operation == QVRTallixOperationCloseParenthesis) {
    long count = 1;
    auto component = _components.rbegin();
    for (; component != _components.rend() && count != 0; ++component) {
      if (component->isOperation(QVRTallixOperationCloseParenthesis)) ++count;
      if (component->isOperation(QVRTallixOperationOpenParenthesis)) --count;
    }
    // Without an unmatched open parenthesis nothing changes and nothing is announced.
    if (count != 0) return;
  }
  appendOperation(operation);
}

void QVRTallixExpression::appendOperation(QVRTallixOperation operation) {
  _components.emplace_back(operation);
  setDirty(true);
}

void QVRTallixExpression::addDigit(std::uint64_t digit) {
  if (QVRTallixEditableNumber* editable = currentEditableNumberForEditing()) {
    editable->addDigit(digit);
    setDirty(true);
    return;
  }
  auto editable = std::make_unique<QVRTallixEditableNumber>();
  editable->addDigit(digit);
  appendNumber(QVRTallixAnyNumber(std::move(editable)));
}

void QVRTallixExpression::addSeparator() {
  if (QVRTallixEditableNumber* editable = currentEditableNumberForEditing()) {
    // A separator that the number cannot take changes nothing and announces nothing.
    if (!editable->canAddSeparator()) return;
    editable->addSeparator();
    setDirty(true);
    return;
  }
  auto editable = std::make_unique<QVRTallixEditableNumber>();
  editable->addSeparator();
  appendNumber(QVRTallixAnyNumber(std::move(editable)));
}

void QVRTallixExpression::addNegation() {
  if (QVRTallixEditableNumber* editable = currentEditableNumberForEditing()) {
    editable->addNegation();
  } else {
    addOperation(QVRTallixOperationNegate);
  }
  setDirty(true);
}

void QVRTallixExpression::removeLastReplacingEmptyWithZero() {
  if (!_components.empty()) _components.pop_back();
  if (_components.empty()) _components.push_back(plainZeroComponent());
}

void QVRTallixExpression::deleteDigitOrOperation() {
  QVRTallixEditableNumber* editable = currentEditableNumberForEditing();
  if (editable && editable->canDeleteDigit()) {
    editable->deleteDigit();
  } else if (editable && _components.size() == 1) {
    editable->clear();
  } else {
    removeLastReplacingEmptyWithZero();
  }
  setDirty(true);
}

bool QVRTallixExpression::deleteWillClear() const {
  if (_components.size() > 1) return false;
  const QVRTallixEditableNumber* editable = currentEditableNumber();
  return !editable || !editable->canDeleteDigit();
}

bool QVRTallixExpression::canDelete() const {
  if (_components.size() > 1) return true;
  const QVRTallixEditableNumber* editable = currentEditableNumber();
  return !editable || editable->canDeleteDigit();
}

void QVRTallixExpression::clearExpression() {
  if (_components.size() >= 2) _components.erase(_components.begin() + 1, _components.end());
  if (QVRTallixEditableNumber* editable =
          _components.empty() ? nullptr : _components.front().editableNumber()) {
    // The same component and number stay, emptied.
    editable->clear();
  } else {
    _components.clear();
    _components.emplace_back(QVRTallixAnyNumber(std::make_unique<QVRTallixEditableNumber>()));
  }
  setDirty(true);
}

void QVRTallixExpression::setExpression(const QVRTallixExpression& other) {
  ComponentList copied;
  copied.reserve(other._components.size());
  for (const QVRTallixComponent& component : other._components) {
    if (!component.isOperation(QVRTallixOperationEqual)) copied.push_back(component.copy());
  }
  _components = std::move(copied);
  setDirty(true);
}
