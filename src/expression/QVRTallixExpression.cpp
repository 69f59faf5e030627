#include "expression/QVRTallixExpression.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>

#include "common/QVREnvironment.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRString.h"

namespace {

constexpr std::string_view componentsKey = "components";
constexpr std::string_view radModeKey = "radMode";
constexpr std::string_view uuidKey = "uuid";

using Value = QVRKeyedUnarchiver::Value;

// An operation value of a list of plain elements, read as the platform's unsignedIntValue of a
// number object: integers cut to their low 32 bits, reals through a 64-bit integer, flags as 0
// or 1. None for anything else, which no number object stands for.
std::optional<std::uint32_t> unsigned32BitValue(const Value& element) {
  const auto plain = element.propertyList();
  if (!plain || element.kind() == Value::Kind::object) return std::nullopt;
  if (const bool* flag = plain->boolean()) return *flag ? 1 : 0;
  if (const std::int64_t* integer = plain->integer()) return static_cast<std::uint32_t>(*integer);
  if (const double* real = plain->real()) {
    if (!std::isfinite(*real) || std::fabs(*real) >= 9.0e18) return 0;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(*real));
  }
  return std::nullopt;
}

// The components of an archived list: kept as they are when the last element is a component
// (anything else is then left out); otherwise each number becomes a number component and every
// other element, which must be a number object, an operation. None when an element cannot be
// read so.
std::optional<QVRTallixExpression::ComponentList> componentsFromArchivedList(const Value& list) {
  std::vector<Value> elements;
  if (!list.decodeArray([&](const Value& element) { elements.push_back(element); })) {
    return std::nullopt;
  }
  QVRTallixExpression::ComponentList components;
  components.reserve(elements.size());
  const bool listsComponents =
      !elements.empty() && elements.back().isObjectOfClass<QVRTallixComponent>();
  for (const Value& element : elements) {
    if (element.isObjectOfClass<QVRTallixComponent>()) {
      auto component = element.decodeObjectOfClass<QVRTallixComponent>();
      if (!component) return std::nullopt;
      components.push_back(std::move(*component));
    } else if (listsComponents) {
      continue;
    } else if (element.isObjectOfClass<QVRTallixAnyNumber>()) {
      auto number = element.decodeObjectOfClass<QVRTallixAnyNumber>();
      if (!number) return std::nullopt;
      components.emplace_back(std::move(*number));
    } else if (const auto value = unsigned32BitValue(element)) {
      components.emplace_back(static_cast<QVRTallixOperation>(*value));
    } else {
      return std::nullopt;
    }
  }
  return components;
}

}  // namespace

QVRTallixExpression::QVRTallixExpression() {
  _components.push_back(plainZeroComponent());
}

QVRTallixExpression::QVRTallixExpression(const QVRTallixNumber& number) {
  _components.push_back(QVRTallixComponent::componentWithTallixNumber(number));
}

QVRTallixExpression::QVRTallixExpression(ComponentList components)
    : _components(std::move(components)) {}

std::unique_ptr<QVRTallixExpression> QVRTallixExpression::copy() const {
  ComponentList copied;
  copied.reserve(_components.size());
  for (const QVRTallixComponent& component : _components) copied.push_back(component.copy());
  auto expression = std::make_unique<QVRTallixExpression>(std::move(copied));
  expression->setRadMode(_radMode);
  return expression;
}

QVRTallixComponent QVRTallixExpression::plainZeroComponent() {
  return QVRTallixComponent::componentWithTallixNumber(QVRTallixNumber());
}

void QVRTallixExpression::setRadMode(bool radMode) {
  if (radMode == _radMode) return;
  _radMode = radMode;
  setDirty(true);
}

void QVRTallixExpression::setDirty(bool dirty) {
  _dirty = dirty;
  if (!dirty) return;
  _result.reset();
  QVREnvironment::current().notificationCenter().post(QVRTallixExpressionDidChange, this);
}

const std::string& QVRTallixExpression::uuid() const {
  if (!_uuid) _uuid = QVRString::uuid();
  return *_uuid;
}

std::size_t QVRTallixExpression::hash() const {
  return std::hash<std::string>{}(uuid());
}

const QVRTallixAnyNumber* QVRTallixExpression::currentNumber() const {
  return _components.empty() ? nullptr : _components.back().tallixNumber();
}

const QVRTallixEditableNumber* QVRTallixExpression::currentEditableNumber() const {
  return _components.empty() ? nullptr : _components.back().editableNumber();
}

QVRTallixEditableNumber* QVRTallixExpression::currentEditableNumberForEditing() {
  return _components.empty() ? nullptr : _components.back().editableNumber();
}

QVRTallixOperation QVRTallixExpression::currentOperation() const {
  return _components.empty() ? QVRTallixOperationNone : _components.back().operation();
}

bool QVRTallixExpression::hasTrignometricFunctions() const {
  return std::any_of(_components.begin(), _components.end(),
                     [](const QVRTallixComponent& c) { return c.isTrignometricOperation(); });
}

std::vector<std::string> QVRTallixExpression::archiveClassNames() {
  return QVRCoding::classNamesOf<QVRTallixExpression, QVRTallixComponent, QVRTallixAnyNumber>();
}

void QVRTallixExpression::encodeWithCoder(QVRKeyedArchiver& coder) const {
  coder.encodeArrayOfObjects(componentsKey, _components);
  coder.encodeBool(radModeKey, _radMode);
  coder.encodeString(uuidKey, uuid());
  _dirty = false;
}

std::unique_ptr<QVRTallixExpression> QVRTallixExpression::initWithCoder(QVRKeyedUnarchiver& coder) {
  std::unique_ptr<QVRTallixExpression> expression(new QVRTallixExpression(BareTag{}));
  expression->_radMode = coder.decodeBoolForKey(radModeKey);
  expression->_uuid = coder.decodeStringForKey(uuidKey);
  // An identifier that could not be archived again (no text, or one with NUL) is refused.
  if (expression->_uuid && (!QVRString::isValidUTF8(*expression->_uuid) ||
                            expression->_uuid->find('\0') != std::string::npos)) {
    return nullptr;
  }
  const Value list = coder.valueForKey(componentsKey);
  if (!list) {
    expression->clearExpression();
    return expression;
  }
  if (list.kind() != Value::Kind::array) return nullptr;
  std::optional<ComponentList> components = componentsFromArchivedList(list);
  if (!components) return nullptr;
  expression->_components = std::move(*components);
  return expression;
}

void PrintTo(const QVRTallixExpression& expression, std::ostream* stream) {
  *stream << expression.description();
}
