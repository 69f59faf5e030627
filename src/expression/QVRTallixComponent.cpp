#include "expression/QVRTallixComponent.h"

#include <algorithm>
#include <limits>
#include <ostream>

#include "common/QVRBundle.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"

namespace {

constexpr std::string_view tallixNumberKey = "tallixNumber";
constexpr std::string_view operationKey = "operation";

}  // namespace

QVRTallixComponent QVRTallixComponent::componentWithTallixNumber(
    const std::optional<QVRTallixNumber>& number) {
  if (!number) return QVRTallixComponent(QVRTallixOperationNone);
  return QVRTallixComponent(QVRTallixAnyNumber(number->copy()));
}

QVRTallixComponent QVRTallixComponent::componentWithTallixNumber(const QVRTallixAnyNumber& number) {
  return QVRTallixComponent(number.copy());
}

std::optional<std::string_view> QVRTallixComponent::name() const {
  if (isTallixNumber()) return "number";
  if (_operation == QVRTallixOperationNone) return "none";
  const QVRTallixOperationInfo* info = QVRTallixOperationInfoOf(_operation);
  if (!info) return std::nullopt;
  return info->name;
}

std::optional<std::string> QVRTallixComponent::editString() const {
  if (_tallixNumber) return _tallixNumber->editString();
  if (_operation == QVRTallixOperationNone) return std::string();
  const QVRTallixOperationInfo* info = QVRTallixOperationInfoOf(_operation);
  if (!info) return std::nullopt;
  return std::string(info->display);
}

std::string QVRTallixComponent::description() const {
  return editString().value_or("(null)");
}

std::optional<std::string> QVRTallixComponent::accessibilityLabel() const {
  if (_tallixNumber) return _tallixNumber->formattedString();
  if (_operation == QVRTallixOperationNone) return "none";
  const QVRTallixOperationInfo* info = QVRTallixOperationInfoOf(_operation);
  if (!info) return std::nullopt;
  return QVRBundle::mainBundle().localizedString(info->label);
}

bool QVRTallixComponent::isEqual(const QVRTallixComponent& other) const {
  if (_operation != other._operation) return false;
  if (!_tallixNumber || !other._tallixNumber) return !_tallixNumber && !other._tallixNumber;
  return _tallixNumber->isEqual(*other._tallixNumber);
}

QVRTallixComponent QVRTallixComponent::copy() const {
  if (_tallixNumber) return QVRTallixComponent(_tallixNumber->copy());
  return QVRTallixComponent(_operation);
}

void QVRTallixComponent::encodeWithCoder(QVRKeyedArchiver& coder) const {
  if (_tallixNumber) {
    coder.encodeObject(tallixNumberKey, *_tallixNumber);
    return;
  }
  // Values above the largest integer of the archive cannot come from the table or from an
  // archive; they are kept as large as the archive allows.
  constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  coder.encodeInteger(operationKey, static_cast<std::int64_t>(std::min<std::uint64_t>(
                                        static_cast<std::uint64_t>(_operation), largest)));
}

std::optional<QVRTallixComponent> QVRTallixComponent::initWithCoder(QVRKeyedUnarchiver& coder) {
  if (const QVRKeyedUnarchiver::Value number = coder.valueForKey(tallixNumberKey)) {
    std::optional<QVRTallixAnyNumber> decoded = number.decodeObjectOfClass<QVRTallixAnyNumber>();
    if (!decoded) return std::nullopt;
    return QVRTallixComponent(std::move(*decoded));
  }
  const std::int64_t value = coder.decodeIntegerForKey(operationKey);
  return QVRTallixComponent(static_cast<QVRTallixOperation>(value < 0 ? 0 : value));
}

void PrintTo(const QVRTallixComponent& component, std::ostream* stream) {
  *stream << component.description();
}
