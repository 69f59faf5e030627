#include "cloud/QVRCKRecord.h"

#include <fmt/format.h>

#include "common/QVRCoding.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"

const QVRCKRecordValue* QVRCKRecord::objectForKey(std::string_view key) const {
  const auto found = _fields.find(key);
  return found == _fields.end() ? nullptr : &found->second;
}

const QVRPropertyList* QVRCKRecord::propertyListForKey(std::string_view key) const {
  const QVRCKRecordValue* value = objectForKey(key);
  return value ? std::get_if<QVRPropertyList>(value) : nullptr;
}

const QVRCKAsset* QVRCKRecord::assetForKey(std::string_view key) const {
  const QVRCKRecordValue* value = objectForKey(key);
  return value ? std::get_if<QVRCKAsset>(value) : nullptr;
}

void QVRCKRecord::setObject(QVRCKRecordValue object, std::string_view forKey) {
  _fields.insert_or_assign(std::string(forKey), std::move(object));
}

void QVRCKRecord::removeObjectForKey(std::string_view key) {
  const auto found = _fields.find(key);
  if (found != _fields.end()) _fields.erase(found);
}

std::vector<std::string> QVRCKRecord::allKeys() const {
  std::vector<std::string> keys;
  keys.reserve(_fields.size());
  for (const auto& entry : _fields) keys.push_back(entry.first);
  return keys;
}

std::string QVRCKRecord::description() const {
  std::string values;
  for (const auto& [key, value] : _fields) {
    if (!values.empty()) values += "; ";
    values += key + "=";
    if (const auto* asset = std::get_if<QVRCKAsset>(&value)) {
      values += asset->description();
    } else {
      values += std::get<QVRPropertyList>(value).description();
    }
  }
  return "<CKRecord recordType=" + _recordType + " recordName=" + _recordID.recordName() +
         " recordChangeTag=" + _recordChangeTag.value_or("(none)") + " values={" + values + "}>";
}

void QVRCKRecord::encodeWithCoder(QVRKeyedArchiver& coder) const {
  coder.encodeString("recordType", _recordType);
  coder.encodeObject("recordID", _recordID);
  if (_recordChangeTag) coder.encodeString("recordChangeTag", *_recordChangeTag);
  coder.encodeDictionary("values", [&](QVRKeyedArchiver::DictionaryEncoder& values) {
    for (const auto& [key, value] : _fields) {
      if (const auto* asset = std::get_if<QVRCKAsset>(&value)) {
        values.encodeObject(key, *asset);
      } else {
        values.encodePropertyList(key, std::get<QVRPropertyList>(value));
      }
    }
  });
}

std::optional<QVRCKRecord> QVRCKRecord::initWithCoder(QVRKeyedUnarchiver& coder) {
  auto type = coder.decodeStringForKey("recordType");
  auto recordID = coder.decodeObjectOfClass<QVRCKRecordID>("recordID");
  if (!type || !recordID) return std::nullopt;
  QVRCKRecord record(std::move(*type), std::move(*recordID));
  if (coder.containsValueForKey("recordChangeTag")) {
    auto tag = coder.decodeStringForKey("recordChangeTag");
    if (!tag) return std::nullopt;
    record._recordChangeTag = std::move(tag);
  }
  if (coder.containsValueForKey("values")) {
    bool complete = true;
    const bool read = coder.valueForKey("values").decodeDictionary(
        [&](std::string_view key, const QVRKeyedUnarchiver::Value& value) {
          if (value.isObjectOfClass<QVRCKAsset>()) {
            if (auto asset = value.decodeObjectOfClass<QVRCKAsset>()) {
              record.setObject(std::move(*asset), key);
              return;
            }
          } else if (auto plain = value.decodePlainValue()) {
            record.setObject(std::move(*plain), key);
            return;
          }
          complete = false;
        });
    if (!read || !complete) return std::nullopt;
  }
  return record;
}

std::vector<std::string> QVRCKRecord::archiveClassNames() {
  return QVRCoding::classNamesOf<QVRCKRecord, QVRCKRecordID, QVRCKAsset>();
}
