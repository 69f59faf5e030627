#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "expression/QVRTallixOperation.h"
#include "numbers/QVRTallixAnyNumber.h"

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;

// One element of an expression: a number (plain, or the number being typed, which is edited in
// place while it ends the expression) or one operation.
//
// A number component holds the operation none; a component that holds no number counts as an
// operation, also when it was made from an absent number (it is then an operation of kind none).
// Move-only, because a number being typed has one owner; copy() makes an independent component.
class QVRTallixComponent {
 public:
  // A component of the operation, holding no number.
  explicit QVRTallixComponent(QVRTallixOperation operation) : _operation(operation) {}
  // A component holding `number` itself (an editable number keeps its address).
  explicit QVRTallixComponent(QVRTallixAnyNumber number) : _tallixNumber(std::move(number)) {}
  QVRTallixComponent(QVRTallixComponent&&) noexcept = default;
  QVRTallixComponent& operator=(QVRTallixComponent&&) noexcept = default;
  QVRTallixComponent(const QVRTallixComponent&) = delete;
  QVRTallixComponent& operator=(const QVRTallixComponent&) = delete;

  // A component holding a copy of the number: a plain number of its value (a number with no
  // value becomes zero); none gives a component that holds no number.
  static QVRTallixComponent componentWithTallixNumber(const std::optional<QVRTallixNumber>& number);
  // A component holding a copy of the number: an editable number as an editable copy.
  static QVRTallixComponent componentWithTallixNumber(const QVRTallixAnyNumber& number);
  static QVRTallixComponent componentWithOperation(QVRTallixOperation operation) {
    return QVRTallixComponent(operation);
  }

  // The number; none for an operation component.
  const QVRTallixAnyNumber* tallixNumber() const {
    return _tallixNumber ? &*_tallixNumber : nullptr;
  }
  // The number being typed, to edit in place; none for a plain number or an operation.
  QVRTallixEditableNumber* editableNumber() {
    return _tallixNumber ? _tallixNumber->editableNumber() : nullptr;
  }
  const QVRTallixEditableNumber* editableNumber() const {
    return _tallixNumber ? _tallixNumber->editableNumber() : nullptr;
  }
  // None for a number component.
  QVRTallixOperation operation() const { return _operation; }

  bool isOperation() const { return !_tallixNumber; }
  bool isTallixNumber() const { return _tallixNumber.has_value(); }
  // Whether this is an operation component of exactly this operation.
  bool isOperation(QVRTallixOperation operation) const {
    return isOperation() && _operation == operation;
  }

  // Membership of the operation in a class; false for number components.
  bool isParenthesisOperation() const { return isIn(QVRTallixOperationClass::parenthesis); }
  bool isFunctionOperation() const { return isIn(QVRTallixOperationClass::function); }
  bool isExponentsOperation() const { return isIn(QVRTallixOperationClass::exponents); }
  bool isMultiplyDivideOperation() const { return isIn(QVRTallixOperationClass::multiplyDivide); }
  bool isAddSubtractOperation() const { return isIn(QVRTallixOperationClass::addSubtract); }
  bool isTrignometricOperation() const { return isIn(QVRTallixOperationClass::trigonometric); }
  bool isDoubleArgumentOperation() const { return isIn(QVRTallixOperationClass::doubleArgument); }
  // The precedence; 0 for number components.
  std::uint64_t order() const { return isOperation() ? QVRTallixOperationOrder(_operation) : 0; }

  // "number" for a number component, "none" for the operation none, else the operation's name;
  // none for an operation outside the table.
  std::optional<std::string_view> name() const;
  // The number's text while typing, the operation's display text ("" for none); none for an
  // operation outside the table.
  std::optional<std::string> editString() const;
  // editString, "(null)" when there is none.
  std::string description() const;
  // The number's formatted text, "none" for the operation none, the operation's localised label;
  // none for an operation outside the table.
  std::optional<std::string> accessibilityLabel() const;

  // The same operation and no number, or a number that this component's number finds equal
  // (one-way between plain and editable numbers).
  bool isEqual(const QVRTallixComponent& other) const;
  // An independent component: the operation, or a copy of the number.
  QVRTallixComponent copy() const;

  // Keyed archives: "tallixNumber" for a number component, else the integer "operation".
  // Held by value in its expression's list, and written once by it.
  static constexpr bool archivedAsValue = true;
  static std::string_view archiveClassName() { return "QVRTallixComponent"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const;
  // A number under "tallixNumber" makes a number component whatever "operation" says; without
  // one the operation is read (0, Percent, when missing). None when "tallixNumber" holds
  // something that is no number.
  static std::optional<QVRTallixComponent> initWithCoder(QVRKeyedUnarchiver& coder);

 private:
  bool isIn(QVRTallixOperationClass operationClass) const {
    return isOperation() && QVRTallixOperationIsIn(_operation, operationClass);
  }

  std::optional<QVRTallixAnyNumber> _tallixNumber;
  QVRTallixOperation _operation = QVRTallixOperationNone;
};

// For readable test failures: the description.
void PrintTo(const QVRTallixComponent& component, std::ostream* stream);
