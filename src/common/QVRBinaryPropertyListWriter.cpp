#include "common/QVRBinaryPropertyListWriter.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/QVRBinaryPropertyListEncoder.h"

namespace {

class Writer {
 public:
  QVRPropertyList::Data write(const QVRPropertyList& root) {
    flatten(root);
    _referenceSize = QVRBinaryPropertyListEncoder::bytesFor(_objects.size());
    std::vector<std::uint64_t> offsets;
    offsets.reserve(_objects.size());
    for (const Object& object : _objects) {
      offsets.push_back(_out.size());
      writeObject(object);
    }
    return std::move(_out).finish(std::span<const std::uint64_t>(offsets), _referenceSize, 0);
  }

 private:
  // A value, or a text (a dictionary key or a string value), and the indexes of its elements.
  struct Object {
    const QVRPropertyList* value = nullptr;
    std::string_view text;
    std::vector<std::uint64_t> references;
  };

  std::uint64_t textObject(std::string_view text) {
    const auto [found, added] = _texts.emplace(text, _objects.size());
    if (added) _objects.push_back({nullptr, text, {}});
    return found->second;
  }

  std::uint64_t flatten(const QVRPropertyList& value) {
    if (value.type() == QVRPropertyList::Type::string) return textObject(*value.string());
    const std::uint64_t index = _objects.size();
    _objects.push_back({&value, {}, {}});
    std::vector<std::uint64_t> references;
    if (const auto* array = value.array()) {
      references.reserve(array->size());
      for (const QVRPropertyList& element : *array) references.push_back(flatten(element));
    } else if (const auto* dictionary = value.dictionary()) {
      references.reserve(2 * dictionary->size());
      for (const auto& entry : *dictionary) references.push_back(textObject(entry.first));
      for (const auto& entry : *dictionary) references.push_back(flatten(entry.second));
    }
    _objects[index].references = std::move(references);
    return index;
  }

  void writeObject(const Object& object) {
    if (!object.value) return _out.appendText(object.text);
    const QVRPropertyList& value = *object.value;
    switch (value.type()) {
      case QVRPropertyList::Type::boolean:
        return _out.appendBoolean(*value.boolean());
      case QVRPropertyList::Type::integer:
        return _out.appendInteger(*value.integer());
      case QVRPropertyList::Type::real:
        return _out.appendReal(*value.real());
      case QVRPropertyList::Type::date:
        return _out.appendDate(value.date()->secondsSinceReferenceDate);
      case QVRPropertyList::Type::data:
        return _out.appendData(*value.data());
      case QVRPropertyList::Type::uid:
        return _out.appendUID(value.uid()->value);
      case QVRPropertyList::Type::array:
        _out.appendArrayMarker(object.references.size());
        break;
      case QVRPropertyList::Type::dictionary:
        _out.appendDictionaryMarker(object.references.size() / 2);
        break;
      case QVRPropertyList::Type::string:
        return _out.appendText(*value.string());
    }
    for (const std::uint64_t reference : object.references) {
      _out.appendReference(reference, _referenceSize);
    }
  }

  std::vector<Object> _objects;
  std::unordered_map<std::string_view, std::uint64_t> _texts;
  std::uint8_t _referenceSize = 1;
  QVRBinaryPropertyListEncoder _out;
};

}  // namespace

QVRPropertyList::Data QVRBinaryPropertyListWriter::dataFromPropertyList(
    const QVRPropertyList& propertyList) {
  return Writer().write(propertyList);
}
