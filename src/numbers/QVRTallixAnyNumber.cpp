#include "numbers/QVRTallixAnyNumber.h"

#include <ostream>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"

QVRTallixAnyNumber::QVRTallixAnyNumber(std::unique_ptr<QVRTallixEditableNumber> editable) {
  if (editable) _number = std::move(editable);
}

QVRTallixEditableNumber* QVRTallixAnyNumber::editableNumber() {
  auto* editable = std::get_if<std::unique_ptr<QVRTallixEditableNumber>>(&_number);
  return editable ? editable->get() : nullptr;
}

const QVRTallixEditableNumber* QVRTallixAnyNumber::editableNumber() const {
  const auto* editable = std::get_if<std::unique_ptr<QVRTallixEditableNumber>>(&_number);
  return editable ? editable->get() : nullptr;
}

QVRTallixNumber QVRTallixAnyNumber::number() const {
  if (const QVRTallixEditableNumber* editable = editableNumber()) return editable->number();
  return std::get<QVRTallixNumber>(_number);
}

std::string QVRTallixAnyNumber::editString() const {
  if (const QVRTallixEditableNumber* editable = editableNumber()) return editable->editString();
  return std::get<QVRTallixNumber>(_number).editString();
}

std::string QVRTallixAnyNumber::description() const {
  if (const QVRTallixEditableNumber* editable = editableNumber()) return editable->description();
  return std::get<QVRTallixNumber>(_number).description();
}

bool QVRTallixAnyNumber::isEqual(const QVRTallixAnyNumber& other) const {
  const QVRTallixEditableNumber* editable = editableNumber();
  const QVRTallixEditableNumber* otherEditable = other.editableNumber();
  if (editable) return otherEditable && editable->isEqual(*otherEditable);
  return std::get<QVRTallixNumber>(_number).isEqual(other.number());
}

QVRTallixAnyNumber QVRTallixAnyNumber::copy() const {
  if (const QVRTallixEditableNumber* editable = editableNumber()) {
    return QVRTallixAnyNumber(editable->copy());
  }
  return QVRTallixAnyNumber(std::get<QVRTallixNumber>(_number).copy());
}

std::string_view QVRTallixAnyNumber::archiveClassName() const {
  return canEdit() ? QVRTallixEditableNumber::archiveClassName()
                   : QVRTallixNumber::archiveClassName();
}

std::vector<std::string_view> QVRTallixAnyNumber::archiveSuperclassNames() const {
  if (!canEdit()) return {};
  const auto names = QVRTallixEditableNumber::archiveSuperclassNames();
  return {names.begin(), names.end()};
}

void QVRTallixAnyNumber::encodeWithCoder(QVRKeyedArchiver& coder) const {
  if (const QVRTallixEditableNumber* editable = editableNumber()) {
    editable->encodeWithCoder(coder);
  } else {
    std::get<QVRTallixNumber>(_number).encodeWithCoder(coder);
  }
}

std::optional<QVRTallixAnyNumber> QVRTallixAnyNumber::initWithCoder(QVRKeyedUnarchiver& coder) {
  if (coder.className() == QVRTallixEditableNumber::archiveClassName()) {
    auto editable = QVRTallixEditableNumber::initWithCoder(coder);
    if (!editable) return std::nullopt;
    return QVRTallixAnyNumber(std::move(editable));
  }
  auto number = QVRTallixNumber::initWithCoder(coder);
  if (!number) return std::nullopt;
  return QVRTallixAnyNumber(std::move(*number));
}

void PrintTo(const QVRTallixAnyNumber& number, std::ostream* stream) {
  *stream << number.description();
}
