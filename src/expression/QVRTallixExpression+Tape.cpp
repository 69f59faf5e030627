#include "expression/QVRTallixExpression.h"
#include "tape/QVRTallixTape.h"

std::shared_ptr<const QVRTallixExpression> QVRTallixExpression::snapshot() const {
  // The bare constructor is private: make_shared cannot reach it.
  std::shared_ptr<QVRTallixExpression> expression(new QVRTallixExpression(BareTag{}));
  expression->_components.reserve(_components.size());
  for (const QVRTallixComponent& component : _components) {
    expression->_components.push_back(component.copy());
  }
  expression->_radMode = _radMode;
  expression->_uuid = uuid();
  expression->_result = _result;
  return expression;
}

std::shared_ptr<const QVRTallixExpression> QVRTallixExpression::tapeEntry() {
  addOperation(QVRTallixOperationEqual);
  return snapshot();
}

bool QVRTallixExpression::saveToTape() {
  return QVRTallixTape::tape().addExpression(tapeEntry());
}
