#include "tape/QVRTallixTapeContents.h"

#include <algorithm>

#include "common/QVRKeyedArchiver.h"
#include "expression/QVRTallixExpression.h"

QVRTallixTapeContents::QVRTallixTapeContents(ExpressionList expressions,
                                             std::optional<std::vector<std::string>> favoriteUUIDs)
    : _expressions(std::move(expressions)), _favoriteUUIDs(std::move(favoriteUUIDs)) {
  std::erase(_expressions, nullptr);
}

void QVRTallixTapeContents::encodeWithCoder(QVRKeyedArchiver& coder, std::string_view key) const {
  coder.encodeDictionary(key, [&](QVRKeyedArchiver::DictionaryEncoder& dictionary) {
    dictionary.encodeArray(expressionsKey, [&](QVRKeyedArchiver::ArrayEncoder& array) {
      for (const Expression& expression : _expressions) array.encodeObject(*expression);
    });
    if (!_favoriteUUIDs) return;
    dictionary.encodeArray(favoriteUUIDsKey, [&](QVRKeyedArchiver::ArrayEncoder& array) {
      for (const std::string& uuid : *_favoriteUUIDs) array.encodeString(uuid);
    });
  });
}

bool QVRTallixTapeContents::isEqual(const QVRCKContents& other) const {
  const auto* tape = dynamic_cast<const QVRTallixTapeContents*>(&other);
  if (!tape || tape->_favoriteUUIDs != _favoriteUUIDs) return false;
  return std::equal(_expressions.begin(), _expressions.end(), tape->_expressions.begin(),
                    tape->_expressions.end(), [](const Expression& a, const Expression& b) {
                      return a == b || a->isEqual(*b);
                    });
}

std::string QVRTallixTapeContents::description() const {
  std::string text = "{expressions = (";
  for (std::size_t index = 0; index < _expressions.size(); ++index) {
    text += (index ? ", " : "") + _expressions[index]->description();
  }
  text += ")";
  if (_favoriteUUIDs) {
    text += "; favoriteUUIDs = (";
    for (std::size_t index = 0; index < _favoriteUUIDs->size(); ++index) {
      text += (index ? ", " : "") + (*_favoriteUUIDs)[index];
    }
    text += ")";
  }
  return text + "}";
}
