// The one-line text forms of an expression, for mail, the tape and the log.

#include "expression/QVRTallixExpression.h"

namespace {

// The operations written without a blank before them.
bool followsWithoutBlank(QVRTallixOperation operation) {
  return operation == QVRTallixOperationFactorial || operation == QVRTallixOperationXPOW2 ||
         operation == QVRTallixOperationXPOW3 || operation == QVRTallixOperationCloseParenthesis;
}

}  // namespace

std::string QVRTallixExpression::stringDescription() const {
  std::string text;
  const QVRTallixComponent* previous = nullptr;
  for (const QVRTallixComponent& component : _components) {
    const QVRTallixOperation operation =
        component.isOperation() ? component.operation() : QVRTallixOperationNone;
    // An Equal is neither written nor the previous component of the next one.
    if (operation == QVRTallixOperationEqual) continue;
    if (!followsWithoutBlank(operation) && previous &&
        !previous->isOperation(QVRTallixOperationOpenParenthesis)) {
      text += ' ';
    }
    if (const QVRTallixAnyNumber* number = component.tallixNumber()) {
      // A typed number is written formatted, not as typed.
      text += number->formattedString();
    } else {
      text += component.editString().value_or("");
    }
    previous = &component;
  }
  return text + " = " + result().formattedString();
}

std::string QVRTallixExpression::description() const {
  return uuid() + ": " + stringDescription();
}

std::string QVRTallixExpression::stringFromExpression(const ComponentList& components) {
  std::string text;
  for (const QVRTallixComponent& component : components) {
    text += component.editString().value_or("");
    text += ' ';
  }
  return text;
}
