#include "common/QVRBinaryPropertyListWriter.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/QVRTextEncoding.h"

namespace {

class Writer {
 public:
  QVRPropertyList::Data write(const QVRPropertyList& root) {
    flatten(root);
    _referenceSize = bytesFor(_objects.size());
    _out = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    std::vector<std::uint64_t> offsets;
    offsets.reserve(_objects.size());
    for (const Object& object : _objects) {
      offsets.push_back(_out.size());
      writeObject(object);
    }
    const std::uint64_t tableOffset = _out.size();
    const std::uint8_t offsetSize = bytesFor(tableOffset + 1);
    for (const std::uint64_t offset : offsets) appendBigEndian(offset, offsetSize);
    _out.insert(_out.end(), 6, 0);
    _out.push_back(offsetSize);
    _out.push_back(_referenceSize);
    appendBigEndian(_objects.size(), 8);
    appendBigEndian(0, 8);
    appendBigEndian(tableOffset, 8);
    return std::move(_out);
  }

 private:
  // A value, or a text (a dictionary key or a string value), and the indexes of its elements.
  struct Object {
    const QVRPropertyList* value = nullptr;
    std::string_view text;
    std::vector<std::uint64_t> references;
  };

  static std::uint8_t bytesFor(std::uint64_t count) {
    if (count <= 0x100) return 1;
    if (count <= 0x10000) return 2;
    if (count <= 0x100000000) return 4;
    return 8;
  }

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

  void appendBigEndian(std::uint64_t value, std::uint8_t size) {
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) {
      _out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  }
  void appendInteger(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    const std::uint8_t size = value < 0 ? 8 : bytesFor(bits + 1);
    _out.push_back(static_cast<std::uint8_t>(0x10 | std::countr_zero(unsigned(size))));
    appendBigEndian(bits, size);
  }
  void appendMarker(std::uint8_t kind, std::uint64_t count) {
    if (count < 15) {
      _out.push_back(static_cast<std::uint8_t>(kind | count));
      return;
    }
    _out.push_back(static_cast<std::uint8_t>(kind | 0x0F));
    appendInteger(static_cast<std::int64_t>(count));
  }
  void appendDouble(std::uint8_t marker, double value) {
    _out.push_back(marker);
    appendBigEndian(std::bit_cast<std::uint64_t>(value), 8);
  }

  void writeText(std::string_view text) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
      appendMarker(0x50, text.size());
      _out.insert(_out.end(), text.begin(), text.end());
      return;
    }
    std::vector<std::uint16_t> units;
    for (std::size_t position = 0; position < text.size();) {
      const char32_t character = QVRTextEncoding::nextCodePoint(text, position).value_or(0xFFFD);
      if (character >= 0x10000) {
        units.push_back(static_cast<std::uint16_t>(0xD800 + ((character - 0x10000) >> 10)));
        units.push_back(static_cast<std::uint16_t>(0xDC00 + ((character - 0x10000) & 0x3FF)));
      } else {
        units.push_back(static_cast<std::uint16_t>(character));
      }
    }
    appendMarker(0x60, units.size());
    for (const std::uint16_t unit : units) appendBigEndian(unit, 2);
  }

  void writeObject(const Object& object) {
    if (!object.value) return writeText(object.text);
    const QVRPropertyList& value = *object.value;
    switch (value.type()) {
      case QVRPropertyList::Type::boolean:
        _out.push_back(*value.boolean() ? 0x09 : 0x08);
        return;
      case QVRPropertyList::Type::integer:
        return appendInteger(*value.integer());
      case QVRPropertyList::Type::real:
        return appendDouble(0x23, *value.real());
      case QVRPropertyList::Type::date:
        return appendDouble(0x33, value.date()->secondsSinceReferenceDate);
      case QVRPropertyList::Type::data:
        appendMarker(0x40, value.data()->size());
        _out.insert(_out.end(), value.data()->begin(), value.data()->end());
        return;
      case QVRPropertyList::Type::uid: {
        const std::uint8_t size = bytesFor(value.uid()->value + 1);
        _out.push_back(static_cast<std::uint8_t>(0x80 | (size - 1)));
        return appendBigEndian(value.uid()->value, size);
      }
      case QVRPropertyList::Type::array:
      case QVRPropertyList::Type::dictionary: {
        const bool isArray = value.type() == QVRPropertyList::Type::array;
        appendMarker(isArray ? 0xA0 : 0xD0, object.references.size() / (isArray ? 1 : 2));
        for (const std::uint64_t reference : object.references) {
          appendBigEndian(reference, _referenceSize);
        }
        return;
      }
      case QVRPropertyList::Type::string:
        return writeText(*value.string());
    }
  }

  std::vector<Object> _objects;
  std::unordered_map<std::string_view, std::uint64_t> _texts;
  std::uint8_t _referenceSize = 1;
  QVRPropertyList::Data _out;
};

}  // namespace

QVRPropertyList::Data QVRBinaryPropertyListWriter::dataFromPropertyList(
    const QVRPropertyList& propertyList) {
  return Writer().write(propertyList);
}
