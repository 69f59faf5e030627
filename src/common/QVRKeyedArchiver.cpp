#include "common/QVRKeyedArchiver.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <new>
#include <utility>

#include "common/QVRBinaryPropertyListReader.h"
#include "common/QVRFileWriter.h"
#include "common/QVRLogger.h"

namespace {

using Field = QVRKeyedArchiveWriter::Field;

Field scalarField(Field::Kind kind, std::uint64_t bits) {
  Field field;
  field.kind = kind;
  field.bits = bits;
  return field;
}

// A full mix of the address and the class: addresses of objects made one after another differ in
// a few low bits, which would otherwise fill runs of neighbouring slots and lengthen every probe.
std::size_t identityHash(const void* address, std::uint32_t className) {
  std::uint64_t bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address)) ^
                       (std::uint64_t{className} << 48);
  bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9u;
  bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBu;
  return static_cast<std::size_t>(bits ^ (bits >> 31));
}

}  // namespace

QVRKeyedArchiver::QVRKeyedArchiver() : _records(1) {
  _arrayClassName = _writer.text("NSArray");
  _dictionaryClassName = _writer.text("NSDictionary");
  _classKey = _writer.text("$class");
}

void QVRKeyedArchiver::setValue(std::string_view key, Field field) {
  field.key = _writer.text(key);
  std::vector<Field>& record = _records[_openRecords - 1];
  for (Field& existing : record) {
    if (existing.key == field.key) {
      existing = field;
      return;
    }
  }
  record.push_back(field);
}

void QVRKeyedArchiver::setReference(std::string_view key, UID uid) {
  setValue(key, scalarField(Field::Kind::reference, uid.value));
}

void QVRKeyedArchiver::encodeBool(std::string_view key, bool value) {
  setValue(key, scalarField(Field::Kind::boolean, value ? 1 : 0));
}

void QVRKeyedArchiver::encodeInteger(std::string_view key, std::int64_t value) {
  setValue(key, scalarField(Field::Kind::integer, static_cast<std::uint64_t>(value)));
}

void QVRKeyedArchiver::encodeDouble(std::string_view key, double value) {
  setValue(key, scalarField(Field::Kind::real, std::bit_cast<std::uint64_t>(value)));
}

void QVRKeyedArchiver::encodeString(std::string_view key, std::string_view value) {
  setReference(key, stringReference(value));
}

void QVRKeyedArchiver::encodePropertyList(std::string_view key, const QVRPropertyList& value) {
  setReference(key, propertyListReference(value));
}

void QVRKeyedArchiver::encodeArray(std::string_view key,
                                   const std::function<void(ArrayEncoder&)>& build) {
  ArrayEncoder array(*this);
  build(array);
  setReference(key, arrayReference(array._elements));
}

void QVRKeyedArchiver::encodeDictionary(std::string_view key,
                                        const std::function<void(DictionaryEncoder&)>& build) {
  DictionaryEncoder dictionary(*this);
  build(dictionary);
  setReference(key, dictionaryReference(dictionary._keys, dictionary._values));
}

std::optional<QVRKeyedArchiver::UID> QVRKeyedArchiver::knownObject(const void* address,
                                                                   TextID className) const {
  if (!address || _identitySlots == 0) return std::nullopt;
  const std::size_t mask = _identitySlots - 1;
  for (std::size_t slot = identityHash(address, className) & mask; _identities[slot].address;
       slot = (slot + 1) & mask) {
    const Identity& identity = _identities[slot];
    if (identity.address == address && identity.className == className) {
      return UID{identity.object};
    }
  }
  return std::nullopt;
}

void QVRKeyedArchiver::rememberObject(const void* address, TextID className, Index object) {
  if (4 * (_identityCount + 1) > 3 * _identitySlots) {
    const std::size_t oldSlots = _identitySlots;
    _identitySlots = std::max<std::size_t>(64, 2 * oldSlots);
    auto old = std::exchange(_identities, decltype(_identities)(static_cast<Identity*>(
                                              std::calloc(_identitySlots, sizeof(Identity)))));
    if (!_identities) throw std::bad_alloc();
    _identityCount = 0;
    for (std::size_t slot = 0; slot < oldSlots; ++slot) {
      const Identity& identity = old[slot];
      if (identity.address) rememberObject(identity.address, identity.className, identity.object);
    }
  }
  const std::size_t mask = _identitySlots - 1;
  std::size_t slot = identityHash(address, className) & mask;
  while (_identities[slot].address) slot = (slot + 1) & mask;
  _identities[slot] = {address, className, object};
  ++_identityCount;
}

QVRKeyedArchiver::UID QVRKeyedArchiver::beginObject(const void* address, TextID className,
                                                    const std::vector<std::string>& classes) {
  // The place is taken before the keys are written, so that an object that refers back to this
  // one (while it is being written) finds it.
  const Index index = _writer.reserveObject();
  if (address) rememberObject(address, className, index);
  const Index classRecord = classReference(className, classes);
  if (_records.size() == _openRecords) _records.emplace_back();
  std::vector<Field>& record = _records[_openRecords++];
  record.clear();
  record.push_back(scalarField(Field::Kind::reference, classRecord));
  record.back().key = _classKey;
  return UID{index};
}

void QVRKeyedArchiver::endObject(UID uid) {
  --_openRecords;
  _writer.finishRecord(static_cast<Index>(uid.value), _records[_openRecords]);
}

QVRKeyedArchiver::Index QVRKeyedArchiver::classReference(TextID name,
                                                         const std::vector<std::string>& classes) {
  if (const auto record = _writer.classRecord(name)) return *record;
  return _writer.addClassRecord(name, classes);
}

QVRKeyedArchiver::UID QVRKeyedArchiver::stringReference(std::string_view text) {
  return UID{_writer.textObject(_writer.text(text))};
}

QVRKeyedArchiver::UID QVRKeyedArchiver::scalarReference(const QVRPropertyList& value) {
  return UID{_writer.addScalar(value)};
}

QVRKeyedArchiver::UID QVRKeyedArchiver::propertyListReference(const QVRPropertyList& value) {
  if (const auto* elements = value.array()) {
    IndexList references;
    references.reserve(elements->size());
    for (const auto& element : *elements) {
      references.push_back(static_cast<Index>(propertyListReference(element).value));
    }
    return arrayReference(references);
  }
  if (const auto* entries = value.dictionary()) {
    IndexList keys;
    IndexList values;
    keys.reserve(entries->size());
    values.reserve(entries->size());
    for (const auto& [key, element] : *entries) {
      keys.push_back(static_cast<Index>(stringReference(key).value));
      values.push_back(static_cast<Index>(propertyListReference(element).value));
    }
    return dictionaryReference(keys, values);
  }
  if (const auto* uid = value.uid()) {
    return scalarReference(static_cast<std::int64_t>(uid->value & INT64_MAX));
  }
  return scalarReference(value);
}

QVRKeyedArchiver::UID QVRKeyedArchiver::arrayReference(const IndexList& elements) {
  const Index classRecord = classReference(_arrayClassName, {"NSArray", "NSObject"});
  return UID{_writer.addArray(classRecord, elements)};
}

QVRKeyedArchiver::UID QVRKeyedArchiver::dictionaryReference(const IndexList& keys,
                                                            const IndexList& values) {
  const Index classRecord = classReference(_dictionaryClassName, {"NSDictionary", "NSObject"});
  return UID{_writer.addDictionary(classRecord, keys, values)};
}

QVRPropertyList QVRKeyedArchiver::archivedPropertyList() {
  // Also when the archive cannot be written: a NUL in a text reads back as it is.
  const auto data = _writer.finish(_records.front(), true);
  if (!data.value) return QVRPropertyList::Dictionary{};
  return QVRBinaryPropertyListReader::propertyList(*data.value)
      .value.value_or(QVRPropertyList::Dictionary{});
}

QVRResult<std::optional<QVRPropertyList::Data>, QVRError> QVRKeyedArchiver::inFormat(
    QVRResult<std::optional<QVRPropertyList::Data>, QVRError> binary,
    QVRPropertyListWriter::Format format) {
  if (format == QVRPropertyListWriter::Format::binary || !binary.value) return binary;
  auto archive = QVRBinaryPropertyListReader::propertyList(*binary.value);
  if (!archive.value) {
    return {std::nullopt, QVRError(std::string(QVRPropertyListWriter::errorDomain), 1,
                                   "an archive that does not read back")};
  }
  return QVRPropertyListWriter::dataFromPropertyList(*archive.value, format);
}

QVRResult<std::optional<QVRPropertyList::Data>, QVRError> QVRKeyedArchiver::finishedData(
    QVRPropertyListWriter::Format format) & {
  return inFormat(_writer.finish(_records.front()), format);
}

QVRResult<std::optional<QVRPropertyList::Data>, QVRError> QVRKeyedArchiver::finishedData(
    QVRPropertyListWriter::Format format) && {
  return inFormat(_writer.finishHandingOver(_records.front()), format);
}

bool QVRKeyedArchiver::writeToFile(QVRResult<std::optional<QVRPropertyList::Data>, QVRError> data,
                                   const std::filesystem::path& path) {
  std::optional<QVRError> failure = std::move(data.error);
  if (data.value) failure = QVRFileWriter::writeAtomically(path, *data.value);
  if (!failure) return true;
  QVRLogger::logError(*failure, "Archiving to " + path.string());
  return false;
}

// Elements of arrays and dictionaries are all referred to by UID, scalars included.

void QVRKeyedArchiver::ArrayEncoder::encodeBool(bool value) {
  _elements.push_back(static_cast<Index>(_archiver.scalarReference(value).value));
}

void QVRKeyedArchiver::ArrayEncoder::encodeInteger(std::int64_t value) {
  _elements.push_back(static_cast<Index>(_archiver.scalarReference(value).value));
}

void QVRKeyedArchiver::ArrayEncoder::encodeDouble(double value) {
  _elements.push_back(static_cast<Index>(_archiver.scalarReference(value).value));
}

void QVRKeyedArchiver::ArrayEncoder::encodeString(std::string_view value) {
  _elements.push_back(static_cast<Index>(_archiver.stringReference(value).value));
}

void QVRKeyedArchiver::ArrayEncoder::encodePropertyList(const QVRPropertyList& value) {
  _elements.push_back(static_cast<Index>(_archiver.propertyListReference(value).value));
}

void QVRKeyedArchiver::ArrayEncoder::encodeArray(const std::function<void(ArrayEncoder&)>& build) {
  ArrayEncoder array(_archiver);
  build(array);
  _elements.push_back(static_cast<Index>(_archiver.arrayReference(array._elements).value));
}

void QVRKeyedArchiver::ArrayEncoder::encodeDictionary(
    const std::function<void(DictionaryEncoder&)>& build) {
  DictionaryEncoder dictionary(_archiver);
  build(dictionary);
  _elements.push_back(static_cast<Index>(
      _archiver.dictionaryReference(dictionary._keys, dictionary._values).value));
}

void QVRKeyedArchiver::DictionaryEncoder::add(std::string_view key, QVRPropertyList::UID value) {
  _keys.push_back(static_cast<Index>(_archiver.stringReference(key).value));
  _values.push_back(static_cast<Index>(value.value));
}

void QVRKeyedArchiver::DictionaryEncoder::encodeBool(std::string_view key, bool value) {
  add(key, _archiver.scalarReference(value));
}

void QVRKeyedArchiver::DictionaryEncoder::encodeInteger(std::string_view key, std::int64_t value) {
  add(key, _archiver.scalarReference(value));
}

void QVRKeyedArchiver::DictionaryEncoder::encodeDouble(std::string_view key, double value) {
  add(key, _archiver.scalarReference(value));
}

void QVRKeyedArchiver::DictionaryEncoder::encodeString(std::string_view key,
                                                       std::string_view value) {
  add(key, _archiver.stringReference(value));
}

void QVRKeyedArchiver::DictionaryEncoder::encodePropertyList(std::string_view key,
                                                             const QVRPropertyList& value) {
  add(key, _archiver.propertyListReference(value));
}

void QVRKeyedArchiver::DictionaryEncoder::encodeArray(
    std::string_view key, const std::function<void(ArrayEncoder&)>& build) {
  ArrayEncoder array(_archiver);
  build(array);
  add(key, _archiver.arrayReference(array._elements));
}

void QVRKeyedArchiver::DictionaryEncoder::encodeDictionary(
    std::string_view key, const std::function<void(DictionaryEncoder&)>& build) {
  DictionaryEncoder dictionary(_archiver);
  build(dictionary);
  add(key, _archiver.dictionaryReference(dictionary._keys, dictionary._values));
}
