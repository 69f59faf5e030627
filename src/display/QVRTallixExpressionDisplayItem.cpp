#include "display/QVRTallixExpressionDisplayItem.h"

#include <fmt/format.h>

#include <ostream>

#include "common/QVRComposedCharacterSequences.h"
#include "expression/QVRTallixExpression.h"

QVRTallixExpressionDisplayItem QVRTallixExpressionDisplayItem::initWithDigit(std::string digit) {
  QVRTallixExpressionDisplayItem item(QVRTallixExpressionDisplayItemTypeDigit);
  item._digit = std::move(digit);
  return item;
}

QVRTallixExpressionDisplayItem QVRTallixExpressionDisplayItem::initWithOperationComponent(
    const QVRTallixComponent& component) {
  QVRTallixExpressionDisplayItem item(QVRTallixExpressionDisplayItemTypeOperation);
  item._operationComponent.emplace(component.copy());
  return item;
}

QVRTallixExpressionDisplayItem QVRTallixExpressionDisplayItem::initWithTrignometricMode(
    bool radMode) {
  QVRTallixExpressionDisplayItem item(QVRTallixExpressionDisplayItemTypeTrignometricMode);
  item._radMode = radMode;
  return item;
}

QVRTallixExpressionDisplayItem QVRTallixExpressionDisplayItem::initWithCalculatedNumber(
    const QVRTallixNumber& number) {
  QVRTallixExpressionDisplayItem item(QVRTallixExpressionDisplayItemTypeCalculatedNumber);
  item._calculatedNumber = number;
  return item;
}

QVRTallixExpressionDisplayItem::QVRTallixExpressionDisplayItem(
    const QVRTallixExpressionDisplayItem& other)
    : _type(other._type),
      _digit(other._digit),
      _calculatedNumber(other._calculatedNumber),
      _radMode(other._radMode),
      _frame(other._frame) {
  if (other._operationComponent) _operationComponent.emplace(other._operationComponent->copy());
}

QVRTallixExpressionDisplayItem& QVRTallixExpressionDisplayItem::operator=(
    const QVRTallixExpressionDisplayItem& other) {
  if (this != &other) *this = QVRTallixExpressionDisplayItem(other);
  return *this;
}

std::vector<QVRTallixExpressionDisplayItem>
QVRTallixExpressionDisplayItem::displayItemsFromExpression(
    const QVRTallixExpression& expression, const QVRTallixTextAttributes& textAttributes) {
  std::vector<QVRTallixExpressionDisplayItem> items = displayItemsWithoutLayout(expression);
  layoutDisplayItems(items, textAttributes);
  return items;
}

std::vector<QVRTallixExpressionDisplayItem>
QVRTallixExpressionDisplayItem::displayItemsWithoutLayout(const QVRTallixExpression& expression) {
  std::vector<QVRTallixExpressionDisplayItem> items;
  if (expression.hasTrignometricFunctions()) {
    items.push_back(initWithTrignometricMode(expression.radMode()));
  }
  for (const QVRTallixComponent& component : expression.components()) {
    if (component.isOperation()) {
      switch (component.operation()) {
        case QVRTallixOperationEqual:
          break;
        case QVRTallixOperationOpenParenthesis:
          items.push_back(initWithDigit("("));
          break;
        case QVRTallixOperationCloseParenthesis:
          items.push_back(initWithDigit(")"));
          break;
        default:
          items.push_back(initWithOperationComponent(component));
          break;
      }
    } else if (const QVRTallixAnyNumber* number = component.tallixNumber(); number->canEdit()) {
      // A sign, each digit and the locale's separator become one item each.
      const std::string text = number->editString();
      for (const std::string_view character : QVRComposedCharacterSequences::shared().split(text)) {
        items.push_back(initWithDigit(std::string(character)));
      }
    } else {
      items.push_back(initWithCalculatedNumber(number->number()));
    }
  }
  return items;
}

QVRTallixOperation QVRTallixExpressionDisplayItem::operation() const {
  return _operationComponent ? _operationComponent->operation() : QVRTallixOperationNone;
}

std::optional<std::string> QVRTallixExpressionDisplayItem::name() const {
  switch (_type) {
    case QVRTallixExpressionDisplayItemTypeDigit:
      return _digit;
    case QVRTallixExpressionDisplayItemTypeOperation:
      if (const auto componentName = _operationComponent->name()) {
        return std::string(*componentName);
      }
      return std::nullopt;
    case QVRTallixExpressionDisplayItemTypeTrignometricMode:
      return _radMode ? "TrigMode_Radian" : "TrigMode_Degree";
    case QVRTallixExpressionDisplayItemTypeCalculatedNumber:
      return _calculatedNumber->formattedString();
  }
  return std::nullopt;
}

std::optional<QVRImageName> QVRTallixExpressionDisplayItem::imageName() const {
  if (_type != QVRTallixExpressionDisplayItemTypeOperation &&
      _type != QVRTallixExpressionDisplayItemTypeTrignometricMode) {
    return std::nullopt;
  }
  const std::optional<std::string> itemName = name();
  if (!itemName) return std::nullopt;
  return QVRImageName("Expression_" + *itemName);
}

bool QVRTallixExpressionDisplayItem::isEqual(const QVRTallixExpressionDisplayItem& other) const {
  if (this == &other) return true;
  if (_type != other._type) return false;
  switch (_type) {
    case QVRTallixExpressionDisplayItemTypeDigit:
      return _digit == other._digit;
    case QVRTallixExpressionDisplayItemTypeOperation:
      return operation() == other.operation();
    case QVRTallixExpressionDisplayItemTypeTrignometricMode:
      return _radMode == other._radMode;
    case QVRTallixExpressionDisplayItemTypeCalculatedNumber:
      return _calculatedNumber->isEqual(*other._calculatedNumber);
  }
  return false;
}

std::string QVRTallixExpressionDisplayItem::description() const {
  switch (_type) {
    case QVRTallixExpressionDisplayItemTypeDigit:
      return fmt::format("'{}' {}", _digit, _frame.description());
    case QVRTallixExpressionDisplayItemTypeOperation:
      return fmt::format("<{}> {}", _operationComponent->name().value_or("(null)"),
                         _frame.description());
    case QVRTallixExpressionDisplayItemTypeTrignometricMode:
      return _radMode ? "RAD" : "DEG";
    case QVRTallixExpressionDisplayItemTypeCalculatedNumber:
      return fmt::format("({}) {}", _calculatedNumber->formattedString(), _frame.description());
  }
  return {};
}

void PrintTo(const QVRTallixExpressionDisplayItem& item, std::ostream* stream) {
  *stream << item.description();
}
