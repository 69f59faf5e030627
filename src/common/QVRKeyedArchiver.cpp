#include "common/QVRKeyedArchiver.h"

#include "common/QVRFileWriter.h"
#include "common/QVRLogger.h"

namespace {

constexpr std::string_view kNull = "$null";

}  // namespace

QVRKeyedArchiver::QVRKeyedArchiver() {
  _objects.emplace_back(kNull);
  _records.emplace_back();
}

void QVRKeyedArchiver::setValue(std::string_view key, QVRPropertyList value) {
  _records.back().insert_or_assign(std::string(key), std::move(value));
}

void QVRKeyedArchiver::encodeBool(std::string_view key, bool value) {
  setValue(key, value);
}

void QVRKeyedArchiver::encodeInteger(std::string_view key, std::int64_t value) {
  setValue(key, value);
}

void QVRKeyedArchiver::encodeDouble(std::string_view key, double value) {
  setValue(key, value);
}

void QVRKeyedArchiver::encodeString(std::string_view key, std::string_view value) {
  setValue(key, stringReference(value));
}

void QVRKeyedArchiver::encodePropertyList(std::string_view key, const QVRPropertyList& value) {
  setValue(key, propertyListReference(value));
}

void QVRKeyedArchiver::encodeArray(std::string_view key,
                                   const std::function<void(ArrayEncoder&)>& build) {
  ArrayEncoder array(*this);
  build(array);
  setValue(key, arrayReference(std::move(array._elements)));
}

void QVRKeyedArchiver::encodeDictionary(std::string_view key,
                                        const std::function<void(DictionaryEncoder&)>& build) {
  DictionaryEncoder dictionary(*this);
  build(dictionary);
  setValue(key, dictionaryReference(std::move(dictionary._keys), std::move(dictionary._values)));
}

std::optional<QVRKeyedArchiver::UID> QVRKeyedArchiver::knownObject(
    const void* address, std::string_view className) const {
  if (!address) return std::nullopt;
  const auto found = _identities.find(std::pair(address, std::string(className)));
  if (found == _identities.end()) return std::nullopt;
  return UID{found->second};
}

QVRKeyedArchiver::UID QVRKeyedArchiver::beginObject(const void* address, std::string_view className,
                                                    const std::vector<std::string>& classes) {
  const std::uint64_t index = _objects.size();
  // The place is taken before the keys are written, so that an object that refers back to this
  // one (while it is being written) finds it.
  _objects.emplace_back(kNull);
  if (address) _identities.emplace(std::pair(address, std::string(className)), index);
  QVRPropertyList::Dictionary record;
  record.emplace("$class", classReference(classes));
  _records.push_back(std::move(record));
  return UID{index};
}

void QVRKeyedArchiver::endObject(UID uid) {
  _objects[uid.value] = QVRPropertyList(std::move(_records.back()));
  _records.pop_back();
}

QVRKeyedArchiver::UID QVRKeyedArchiver::classReference(const std::vector<std::string>& classes) {
  const std::string& name = classes.front();
  if (const auto found = _classes.find(name); found != _classes.end()) return UID{found->second};
  QVRPropertyList::Array hierarchy(classes.begin(), classes.end());
  const std::uint64_t index = _objects.size();
  _objects.emplace_back(
      QVRPropertyList::Dictionary{{"$classname", name}, {"$classes", std::move(hierarchy)}});
  _classes.emplace(name, index);
  return UID{index};
}

QVRKeyedArchiver::UID QVRKeyedArchiver::stringReference(std::string_view text) {
  if (const auto found = _strings.find(text); found != _strings.end()) return UID{found->second};
  const std::uint64_t index = _objects.size();
  _objects.emplace_back(text);
  _strings.emplace(std::string(text), index);
  return UID{index};
}

QVRKeyedArchiver::UID QVRKeyedArchiver::scalarReference(QVRPropertyList value) {
  if (const std::string* text = value.string()) return stringReference(*text);
  const std::uint64_t index = _objects.size();
  _objects.push_back(std::move(value));
  return UID{index};
}

QVRKeyedArchiver::UID QVRKeyedArchiver::propertyListReference(const QVRPropertyList& value) {
  if (const auto* elements = value.array()) {
    QVRPropertyList::Array references;
    references.reserve(elements->size());
    for (const auto& element : *elements) references.push_back(propertyListReference(element));
    return arrayReference(std::move(references));
  }
  if (const auto* entries = value.dictionary()) {
    QVRPropertyList::Array keys;
    QVRPropertyList::Array values;
    for (const auto& [key, element] : *entries) {
      keys.push_back(stringReference(key));
      values.push_back(propertyListReference(element));
    }
    return dictionaryReference(std::move(keys), std::move(values));
  }
  if (const auto* uid = value.uid()) {
    return scalarReference(static_cast<std::int64_t>(uid->value & INT64_MAX));
  }
  return scalarReference(value);
}

QVRKeyedArchiver::UID QVRKeyedArchiver::arrayReference(QVRPropertyList::Array elements) {
  const UID classUID = classReference({"NSArray", "NSObject"});
  const std::uint64_t index = _objects.size();
  _objects.emplace_back(
      QVRPropertyList::Dictionary{{"$class", classUID}, {"NS.objects", std::move(elements)}});
  return UID{index};
}

QVRKeyedArchiver::UID QVRKeyedArchiver::dictionaryReference(QVRPropertyList::Array keys,
                                                            QVRPropertyList::Array values) {
  const UID classUID = classReference({"NSDictionary", "NSObject"});
  const std::uint64_t index = _objects.size();
  _objects.emplace_back(QVRPropertyList::Dictionary{
      {"$class", classUID}, {"NS.keys", std::move(keys)}, {"NS.objects", std::move(values)}});
  return UID{index};
}

QVRPropertyList QVRKeyedArchiver::archivedPropertyList() const {
  return QVRPropertyList::Dictionary{
      {"$archiver", archiverName},
      {"$version", archiveVersion},
      {"$top", _records.front()},
      {"$objects", _objects},
  };
}

QVRResult<std::optional<QVRPropertyList::Data>, QVRError> QVRKeyedArchiver::finishedData(
    QVRPropertyListWriter::Format format) const {
  return QVRPropertyListWriter::dataFromPropertyList(archivedPropertyList(), format);
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
  _elements.emplace_back(_archiver.scalarReference(value));
}

void QVRKeyedArchiver::ArrayEncoder::encodeInteger(std::int64_t value) {
  _elements.emplace_back(_archiver.scalarReference(value));
}

void QVRKeyedArchiver::ArrayEncoder::encodeDouble(double value) {
  _elements.emplace_back(_archiver.scalarReference(value));
}

void QVRKeyedArchiver::ArrayEncoder::encodeString(std::string_view value) {
  _elements.emplace_back(_archiver.stringReference(value));
}

void QVRKeyedArchiver::ArrayEncoder::encodePropertyList(const QVRPropertyList& value) {
  _elements.emplace_back(_archiver.propertyListReference(value));
}

void QVRKeyedArchiver::ArrayEncoder::encodeArray(const std::function<void(ArrayEncoder&)>& build) {
  ArrayEncoder array(_archiver);
  build(array);
  _elements.emplace_back(_archiver.arrayReference(std::move(array._elements)));
}

void QVRKeyedArchiver::ArrayEncoder::encodeDictionary(
    const std::function<void(DictionaryEncoder&)>& build) {
  DictionaryEncoder dictionary(_archiver);
  build(dictionary);
  _elements.emplace_back(
      _archiver.dictionaryReference(std::move(dictionary._keys), std::move(dictionary._values)));
}

void QVRKeyedArchiver::DictionaryEncoder::add(std::string_view key, QVRPropertyList::UID value) {
  _keys.emplace_back(_archiver.stringReference(key));
  _values.emplace_back(value);
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
  add(key, _archiver.arrayReference(std::move(array._elements)));
}

void QVRKeyedArchiver::DictionaryEncoder::encodeDictionary(
    std::string_view key, const std::function<void(DictionaryEncoder&)>& build) {
  DictionaryEncoder dictionary(_archiver);
  build(dictionary);
  add(key,
      _archiver.dictionaryReference(std::move(dictionary._keys), std::move(dictionary._values)));
}
