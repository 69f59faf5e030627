#include "constants/QVRTallixConstantNumbersContents.h"

#include <fmt/format.h>

#include <algorithm>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRLogger.h"

std::shared_ptr<const QVRTallixConstantNumbersContents> QVRTallixConstantNumbersContents::decode(
    const QVRKeyedUnarchiver::Value& value) {
  if (value.kind() != QVRKeyedUnarchiver::Value::Kind::dictionary) return nullptr;
  QVRTallixCustomConstantNumber::List constants;
  std::size_t skipped = 0;
  value.decodeDictionary([&](std::string_view key, const QVRKeyedUnarchiver::Value& list) {
    if (key != constantsKey) return;
    list.decodeArray([&](const QVRKeyedUnarchiver::Value& element) {
      std::shared_ptr<QVRTallixCustomConstantNumber> constant;
      if (element.isObjectOfClass<QVRTallixCustomConstantNumber>()) {
        constant = element.decodeObjectOfClass<QVRTallixCustomConstantNumber>();
      }
      if (constant) {
        constants.push_back(std::move(constant));
      } else {
        ++skipped;
      }
    });
  });
  if (skipped > 0) {
    QVRLogger::logFormat(fmt::format("Skipped {} unreadable custom constants of {}", skipped,
                                     constants.size() + skipped));
  }
  return std::make_shared<QVRTallixConstantNumbersContents>(std::move(constants));
}

bool QVRTallixConstantNumbersContents::equalLists(
    const QVRTallixCustomConstantNumber::List& left,
    const QVRTallixCustomConstantNumber::List& right) {
  return std::equal(
      left.begin(), left.end(), right.begin(), right.end(),
      [](const auto& a, const auto& b) { return a == b || (a && b && a->isEqual(*b)); });
}

void QVRTallixConstantNumbersContents::encodeWithCoder(QVRKeyedArchiver& coder,
                                                       std::string_view key) const {
  coder.encodeDictionary(key, [&](QVRKeyedArchiver::DictionaryEncoder& dictionary) {
    dictionary.encodeArray(constantsKey, [&](QVRKeyedArchiver::ArrayEncoder& array) {
      for (const auto& constant : _constants) {
        if (constant) array.encodeObject(*constant);
      }
    });
  });
}

bool QVRTallixConstantNumbersContents::isEqual(const QVRCKContents& other) const {
  const auto* contents = dynamic_cast<const QVRTallixConstantNumbersContents*>(&other);
  return contents && equalLists(_constants, contents->_constants);
}

std::string QVRTallixConstantNumbersContents::description() const {
  std::string text = "{constants = (";
  for (std::size_t index = 0; index < _constants.size(); ++index) {
    if (index > 0) text += ", ";
    text += _constants[index] ? _constants[index]->description() : "(null)";
  }
  return text + ")}";
}
