// The process-wide current expression: a slot of the environment with its file and its save
// timer (QVRTallixCurrentExpressionSlot).

#include "expression/QVRTallixCurrentExpressionSlot.h"
#include "expression/QVRTallixExpression.h"

std::shared_ptr<QVRTallixExpression> QVRTallixExpression::currentExpression() {
  return QVRTallixCurrentExpressionSlot::shared().expression();
}

void QVRTallixExpression::setCurrentExpression(std::shared_ptr<QVRTallixExpression> expression) {
  QVRTallixCurrentExpressionSlot::shared().setExpression(std::move(expression));
}

std::filesystem::path QVRTallixExpression::_currentExpressionPath() {
  return QVRTallixCurrentExpressionSlot::shared().path();
}
