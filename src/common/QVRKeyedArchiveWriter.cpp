#include "common/QVRKeyedArchiveWriter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>

#include "common/QVRPropertyListWriter.h"
#include "common/QVRTextEncoding.h"

namespace {

constexpr std::size_t kTextStorageChunk = 64 * 1024;

std::uint64_t readWideReference(const QVRPropertyList::Data& bytes, std::size_t offset) {
  return (std::uint64_t{bytes[offset]} << 24) | (std::uint64_t{bytes[offset + 1]} << 16) |
         (std::uint64_t{bytes[offset + 2]} << 8) | bytes[offset + 3];
}

}  // namespace

QVRKeyedArchiveWriter::QVRKeyedArchiveWriter() {
  _classKey = text("$class");
  _classNameKey = text("$classname");
  _classesKey = text("$classes");
  _objectsKey = text("NS.objects");
  _keysKey = text("NS.keys");
  // "$null" is object 0 but not the object of its text: an archived text "$null" gets its own.
  const Index null = newObject();
  _objects[null].record = textID(text("$null"));
}

void QVRKeyedArchiveWriter::fail(std::string reason) {
  if (!_failure) _failure = std::move(reason);
}

std::string_view QVRKeyedArchiveWriter::store(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > kTextStorageChunk / 4) {
    _textStorage.push_back(std::make_unique<char[]>(text.size()));
    std::memcpy(_textStorage.back().get(), text.data(), text.size());
    return {_textStorage.back().get(), text.size()};
  }
  if (text.size() > _textStorageLeft) {
    // The larger texts have chunks of their own; the current one stays in front.
    _textStorage.push_back(std::make_unique<char[]>(kTextStorageChunk));
    _textStorageLeft = kTextStorageChunk;
  }
  char* place = _textStorage.back().get() + (kTextStorageChunk - _textStorageLeft);
  std::memcpy(place, text.data(), text.size());
  _textStorageLeft -= text.size();
  return {place, text.size()};
}

QVRKeyedArchiveWriter::TextID QVRKeyedArchiveWriter::text(std::string_view text) {
  // Keys come again and again from the same place; comparing with the text remembered for that
  // place is cheaper than hashing, and a place that now holds another text misses.
  RecentText& recent =
      _recentTexts[(reinterpret_cast<std::uintptr_t>(text.data()) >> 3) % _recentTexts.size()];
  if (recent.data == text.data() && text.data() && _texts[recent.text].view == text) {
    return recent.text;
  }
  const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(text));
  if (!_textSlots.empty()) {
    const std::size_t mask = _textSlots.size() - 1;
    for (std::size_t slot = hash & mask; _textSlots[slot].text != 0; slot = (slot + 1) & mask) {
      const TextSlot& entry = _textSlots[slot];
      if (entry.hash == hash && _texts[entry.text - 1].view == text) {
        recent = {text.data(), entry.text - 1};
        return entry.text - 1;
      }
    }
  }
  if (!QVRTextEncoding::isValidUTF8(text)) {
    fail("text that is not UTF-8");
  } else if (text.find('\0') != std::string_view::npos) {
    fail("text with a NUL character");
  }
  const auto id = static_cast<TextID>(_texts.size());
  const std::string_view stored = store(text);
  _texts.push_back({stored, none, none, none});
  if (2 * _texts.size() > _textSlots.size()) {
    std::vector<TextSlot> old(std::bit_ceil(std::max<std::size_t>(256, 4 * _texts.size())));
    old.swap(_textSlots);
    for (const TextSlot& entry : old) {
      if (entry.text != 0) indexText(entry.hash, entry.text - 1);
    }
  }
  indexText(hash, id);
  return id;
}

void QVRKeyedArchiveWriter::indexText(std::uint32_t hash, TextID text) {
  const std::size_t mask = _textSlots.size() - 1;
  std::size_t slot = hash & mask;
  while (_textSlots[slot].text != 0) slot = (slot + 1) & mask;
  _textSlots[slot] = {hash, text + 1};
}

QVRKeyedArchiveWriter::ObjectID QVRKeyedArchiveWriter::beginObject() {
  if (_offsets.size() >= none) fail("an archive of too many objects");
  if (_out.size() > UINT32_MAX) fail("an archive of more than 4 GB");
  _offsets.push_back(static_cast<std::uint32_t>(_out.size()));
  return static_cast<ObjectID>(_offsets.size() - 1);
}

QVRKeyedArchiveWriter::Index QVRKeyedArchiveWriter::newObject() {
  if (_objects.size() >= none) fail("an archive of too many objects");
  _objects.emplace_back();
  return static_cast<Index>(_objects.size() - 1);
}

QVRKeyedArchiveWriter::ObjectID QVRKeyedArchiveWriter::textID(TextID text) {
  Text& entry = _texts[text];
  if (entry.written == none) {
    entry.written = beginObject();
    _out.appendText(entry.view);
  }
  return entry.written;
}

QVRKeyedArchiveWriter::ObjectID QVRKeyedArchiveWriter::uidID(Index object) {
  Object& entry = _objects[object];
  if (entry.uid == none) {
    entry.uid = beginObject();
    _out.appendUID(object);
  }
  return entry.uid;
}

QVRKeyedArchiveWriter::ObjectID QVRKeyedArchiveWriter::integerID(std::int64_t value) {
  const auto [found, added] = _integers.emplace(value, 0);
  if (added) {
    found->second = beginObject();
    _out.appendInteger(value);
  }
  return found->second;
}

QVRKeyedArchiveWriter::ObjectID QVRKeyedArchiveWriter::fieldValueID(const Field& field) {
  switch (field.kind) {
    case Field::Kind::reference:
      return uidID(static_cast<Index>(field.bits));
    case Field::Kind::boolean: {
      ObjectID& written = _booleans[field.bits != 0 ? 1 : 0];
      if (written == none) {
        written = beginObject();
        _out.appendBoolean(field.bits != 0);
      }
      return written;
    }
    case Field::Kind::integer:
      return integerID(static_cast<std::int64_t>(field.bits));
    case Field::Kind::real: {
      const auto [found, added] = _reals.emplace(field.bits, 0);
      if (added) {
        found->second = beginObject();
        _out.appendReal(std::bit_cast<double>(field.bits));
      }
      return found->second;
    }
  }
  return none;
}

QVRKeyedArchiveWriter::Index QVRKeyedArchiveWriter::textObject(TextID text) {
  Text& entry = _texts[text];
  if (entry.object == none) {
    const Index object = newObject();
    _objects[object].record = textID(text);
    _texts[text].object = object;
  }
  return _texts[text].object;
}

std::optional<QVRKeyedArchiveWriter::Index> QVRKeyedArchiveWriter::classRecord(TextID name) const {
  const Index record = _texts[name].classRecord;
  return record == none ? std::nullopt : std::optional(record);
}

QVRKeyedArchiveWriter::ObjectID QVRKeyedArchiveWriter::writeArray(
    std::span<const ObjectID> elements) {
  const ObjectID id = beginObject();
  _out.appendArrayMarker(elements.size());
  for (const ObjectID element : elements) _out.appendReference(element, wideReference);
  return id;
}

QVRKeyedArchiveWriter::ObjectID QVRKeyedArchiveWriter::writeDictionary(
    std::span<const ObjectID> keys, std::span<const ObjectID> values) {
  const ObjectID id = beginObject();
  _out.appendDictionaryMarker(keys.size());
  for (const ObjectID key : keys) _out.appendReference(key, wideReference);
  for (const ObjectID value : values) _out.appendReference(value, wideReference);
  return id;
}

QVRKeyedArchiveWriter::Index QVRKeyedArchiveWriter::addClassRecord(
    TextID name, std::span<const std::string> classes) {
  const Index record = newObject();
  _texts[name].classRecord = record;
  _values.clear();
  for (const std::string& className : classes) _values.push_back(textID(text(className)));
  const std::array<ObjectID, 2> keys{textID(_classesKey), textID(_classNameKey)};
  const ObjectID names = writeArray(_values);
  const std::array<ObjectID, 2> values{names, textID(name)};
  _objects[record].record = writeDictionary(keys, values);
  return record;
}

QVRKeyedArchiveWriter::Index QVRKeyedArchiveWriter::reserveObject() {
  return newObject();
}

QVRKeyedArchiveWriter::ObjectID QVRKeyedArchiveWriter::writeRecord(std::span<const Field> fields) {
  _keys.clear();
  _values.clear();
  for (const Field& field : fields) {
    _keys.push_back(textID(field.key));
    _values.push_back(fieldValueID(field));
  }
  return writeDictionary(_keys, _values);
}

void QVRKeyedArchiveWriter::finishRecord(Index object, std::span<const Field> fields) {
  _objects[object].record = writeRecord(fields);
}

QVRKeyedArchiveWriter::Index QVRKeyedArchiveWriter::addScalar(const QVRPropertyList& value) {
  if (const std::string* string = value.string()) return textObject(text(*string));
  const Index object = newObject();
  _objects[object].record = beginObject();
  switch (value.type()) {
    case QVRPropertyList::Type::boolean:
      _out.appendBoolean(*value.boolean());
      break;
    case QVRPropertyList::Type::integer:
      _out.appendInteger(*value.integer());
      break;
    case QVRPropertyList::Type::real:
      _out.appendReal(*value.real());
      break;
    case QVRPropertyList::Type::data:
      _out.appendData(*value.data());
      break;
    case QVRPropertyList::Type::date: {
      // The dates of every property list of ours (libplist's XML keeps 32-bit seconds).
      const auto checked =
          QVRPropertyListWriter::dataFromPropertyList(value, QVRPropertyListWriter::Format::binary);
      if (checked.error) fail(checked.error->localizedDescription());
      _out.appendDate(value.date()->secondsSinceReferenceDate);
      break;
    }
    default:
      fail("a value of an unknown kind");
      _out.appendBoolean(false);
      break;
  }
  return object;
}

QVRKeyedArchiveWriter::Index QVRKeyedArchiveWriter::addArray(Index classRecord,
                                                             std::span<const Index> elements) {
  const Index record = newObject();
  _values.clear();
  for (const Index element : elements) _values.push_back(uidID(element));
  const ObjectID list = writeArray(_values);
  const std::array<ObjectID, 2> keys{textID(_classKey), textID(_objectsKey)};
  const std::array<ObjectID, 2> values{uidID(classRecord), list};
  _objects[record].record = writeDictionary(keys, values);
  return record;
}

QVRKeyedArchiveWriter::Index QVRKeyedArchiveWriter::addDictionary(Index classRecord,
                                                                  std::span<const Index> keys,
                                                                  std::span<const Index> values) {
  const Index record = newObject();
  _keys.clear();
  for (const Index key : keys) _keys.push_back(uidID(key));
  const ObjectID keyList = writeArray(_keys);
  _values.clear();
  for (const Index value : values) _values.push_back(uidID(value));
  const ObjectID valueList = writeArray(_values);
  const std::array<ObjectID, 3> recordKeys{textID(_classKey), textID(_keysKey),
                                           textID(_objectsKey)};
  const std::array<ObjectID, 3> recordValues{uidID(classRecord), keyList, valueList};
  _objects[record].record = writeDictionary(recordKeys, recordValues);
  return record;
}

QVRResult<std::optional<QVRPropertyList::Data>, QVRError> QVRKeyedArchiveWriter::failure() const {
  return {std::nullopt,
          QVRError(std::string(QVRPropertyListWriter::errorDomain), 1, _failure.value_or(""))};
}

std::optional<QVRKeyedArchiveWriter::ObjectID> QVRKeyedArchiveWriter::writeTopLevel(
    std::span<const Field> top, bool evenIfUnwritable) {
  if (_failure && !evenIfUnwritable) return std::nullopt;
  const ObjectID topRecord = writeRecord(top);
  // An object whose record is not done yet (finishing while encoding) reads as "$null".
  _values.clear();
  _values.reserve(_objects.size());
  for (const Object& object : _objects) {
    _values.push_back(object.record == none ? _objects[0].record : object.record);
  }
  const ObjectID objects = writeArray(_values);
  const std::array<ObjectID, 4> keys{textID(text("$archiver")), textID(text("$objects")),
                                     textID(text("$top")), textID(text("$version"))};
  const std::array<ObjectID, 4> values{textID(text("NSKeyedArchiver")), objects, topRecord,
                                       integerID(100000)};
  const ObjectID root = writeDictionary(keys, values);
  if (_failure && !evenIfUnwritable) return std::nullopt;
  return root;
}

QVRResult<std::optional<QVRPropertyList::Data>, QVRError> QVRKeyedArchiveWriter::finish(
    std::span<const Field> top, bool evenIfUnwritable) {
  const auto root = writeTopLevel(top, evenIfUnwritable);
  if (!root) return failure();
  return {narrowed(*root), std::nullopt};
}

QVRResult<std::optional<QVRPropertyList::Data>, QVRError> QVRKeyedArchiveWriter::finishHandingOver(
    std::span<const Field> top) {
  // Room for the top level ("$objects" and a few more) and the offset table, so that the bytes
  // move at most once more.
  const std::size_t objects = _offsets.size() + 2 * _objects.size() + 64;
  _out.reserve(_out.size() + 5 * objects + 256);
  const auto root = writeTopLevel(top, false);
  if (!root) return failure();
  if (QVRBinaryPropertyListEncoder::bytesFor(_offsets.size()) != wideReference) {
    return {narrowed(*root), std::nullopt};
  }
  return {std::move(_out).finish(std::span<const std::uint32_t>(_offsets), wideReference, *root),
          std::nullopt};
}

QVRPropertyList::Data QVRKeyedArchiveWriter::narrowed(ObjectID root) const {
  const std::uint8_t referenceSize = QVRBinaryPropertyListEncoder::bytesFor(_offsets.size());
  const QVRPropertyList::Data& bytes = _out.bytes();
  QVRBinaryPropertyListEncoder narrow;
  narrow.reserve(bytes.size() + 4 * _offsets.size() + 32);
  const std::span<const std::uint32_t> allOffsets(_offsets);
  if (referenceSize == wideReference) {
    narrow.appendBytes(std::span(bytes).subspan(narrow.size()));
    return std::move(narrow).finish(allOffsets, referenceSize, root);
  }
  // Fewer objects than four-byte references need: the objects are copied in order, the
  // references of arrays and dictionaries narrowed. Each object runs up to the next one.
  std::vector<std::uint32_t> offsets;
  offsets.reserve(_offsets.size());
  for (std::size_t index = 0; index < _offsets.size(); ++index) {
    const std::size_t begin = _offsets[index];
    const std::size_t end = index + 1 < _offsets.size() ? _offsets[index + 1] : bytes.size();
    const auto object = std::span(bytes).subspan(begin, end - begin);
    offsets.push_back(static_cast<std::uint32_t>(narrow.size()));
    const unsigned kind = object[0] >> 4;
    if (kind != 0xA && kind != 0xD) {
      narrow.appendBytes(object);
      continue;
    }
    // The marker, and the count after it when the marker cannot hold it.
    std::size_t header = 1;
    if ((object[0] & 0x0F) == 0x0F) header += 1 + (std::size_t{1} << (object[1] & 0x0F));
    narrow.appendBytes(object.first(header));
    for (std::size_t at = begin + header; at + wideReference <= end; at += wideReference) {
      narrow.appendReference(readWideReference(bytes, at), referenceSize);
    }
  }
  return std::move(narrow).finish(std::span<const std::uint32_t>(offsets), referenceSize, root);
}
