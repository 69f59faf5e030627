#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "common/QVRImageName.h"
#include "common/QVRRect.h"
#include "display/QVRTallixExpressionDisplayMetrics.h"
#include "display/QVRTallixTextAttributes.h"
#include "expression/QVRTallixComponent.h"
#include "expression/QVRTallixOperation.h"
#include "numbers/QVRTallixNumber.h"

class QVRTallixExpression;

enum QVRTallixExpressionDisplayItemType : std::uint64_t {
  // One character of typed text, or a parenthesis.
  QVRTallixExpressionDisplayItemTypeDigit = 0,
  QVRTallixExpressionDisplayItemTypeOperation = 1,
  // The angle-mode badge.
  QVRTallixExpressionDisplayItemTypeTrignometricMode = 2,
  // A result or a constant, drawn as text in a rounded box.
  QVRTallixExpressionDisplayItemTypeCalculatedNumber = 3,
};

// One item of the row in which the calculator draws an expression: typed characters and
// parentheses as text, operations and the angle mode as images, calculated numbers as boxed
// text. displayItemsFromExpression makes the items of an expression and gives each its frame on
// the row; whoever draws draws each item in its frame, at the row height
// QVRTallixExpressionDisplayItemHeight.
//
// A value: copies are independent (an operation item copies its component).
class QVRTallixExpressionDisplayItem {
 public:
  // The four kinds of item. Factories rather than constructors: a constructor taking the angle
  // mode's bool would take any number or pointer as well.
  static QVRTallixExpressionDisplayItem initWithDigit(std::string digit);
  static QVRTallixExpressionDisplayItem initWithOperationComponent(
      const QVRTallixComponent& component);
  static QVRTallixExpressionDisplayItem initWithTrignometricMode(bool radMode);
  static QVRTallixExpressionDisplayItem initWithCalculatedNumber(const QVRTallixNumber& number);

  QVRTallixExpressionDisplayItem(const QVRTallixExpressionDisplayItem& other);
  QVRTallixExpressionDisplayItem& operator=(const QVRTallixExpressionDisplayItem& other);
  QVRTallixExpressionDisplayItem(QVRTallixExpressionDisplayItem&&) noexcept = default;
  QVRTallixExpressionDisplayItem& operator=(QVRTallixExpressionDisplayItem&&) noexcept = default;

  // The items of `expression`, laid out on one line with `textAttributes` (see below).
  static std::vector<QVRTallixExpressionDisplayItem> displayItemsFromExpression(
      const QVRTallixExpression& expression, const QVRTallixTextAttributes& textAttributes);

  // The two steps of displayItemsFromExpression. Building: per component, Equal gives nothing,
  // a parenthesis a digit item, another operation an operation item, the number being typed one
  // digit item per character of its editString, any other number a calculated-number item; an
  // expression with circular functions starts with its angle-mode item. All frames are empty.
  static std::vector<QVRTallixExpressionDisplayItem> displayItemsWithoutLayout(
      const QVRTallixExpression& expression);
  // Laying out, left to right from x = 0 (see QVRTallixExpressionDisplayItem+Layout.cpp): runs
  // of digit items as one line of text, each item placed by its glyph; other items as wide as
  // their image or boxed text; a gap of the item padding after every item and every run.
  static void layoutDisplayItems(std::vector<QVRTallixExpressionDisplayItem>& items,
                                 const QVRTallixTextAttributes& textAttributes);

  QVRTallixExpressionDisplayItemType type() const { return _type; }
  // Type 0: the character; empty for the other types.
  const std::string& digit() const { return _digit; }
  // Type 1: the operation component; none for the other types.
  const QVRTallixComponent* operationComponent() const {
    return _operationComponent ? &*_operationComponent : nullptr;
  }
  // Type 3: the number; none for the other types.
  const std::optional<QVRTallixNumber>& calculatedNumber() const { return _calculatedNumber; }
  // Type 2: true for radians.
  bool radMode() const { return _radMode; }

  const QVRRect& frame() const { return _frame; }
  void setFrame(const QVRRect& frame) { _frame = frame; }

  // The operation of the component; none for items without one.
  QVRTallixOperation operation() const;
  // Type 0: the digit; type 1: the component's name ("Add"; none for an operation outside the
  // table); type 2: "TrigMode_Radian" or "TrigMode_Degree"; type 3: the number's formattedString.
  std::optional<std::string> name() const;
  // Types 1 and 2: "Expression_" and the name (Expression_Add, Expression_TrigMode_Degree); none
  // for the other types.
  std::optional<QVRImageName> imageName() const;

  // The same kind and the same digit, operation, angle mode or number; the frame plays no part.
  bool isEqual(const QVRTallixExpressionDisplayItem& other) const;
  friend bool operator==(const QVRTallixExpressionDisplayItem& left,
                         const QVRTallixExpressionDisplayItem& right) {
    return left.isEqual(right);
  }
  // "'5' {{0, 0}, {9, 0}}", "<Add> {{…}}", "RAD" or "DEG", "(14) {{…}}".
  std::string description() const;

 private:
  explicit QVRTallixExpressionDisplayItem(QVRTallixExpressionDisplayItemType type) : _type(type) {}

  QVRTallixExpressionDisplayItemType _type;
  std::string _digit;
  std::optional<QVRTallixComponent> _operationComponent;
  std::optional<QVRTallixNumber> _calculatedNumber;
  bool _radMode = false;
  QVRRect _frame;
};

// For readable test failures: the description.
void PrintTo(const QVRTallixExpressionDisplayItem& item, std::ostream* stream);
