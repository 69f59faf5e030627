#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cloud/QVRCKAsset.h"
#include "cloud/QVRCKRecordID.h"
#include "common/QVRPropertyList.h"

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;

// What a record's field holds: a plain value or a file.
using QVRCKRecordValue = std::variant<QVRPropertyList, QVRCKAsset>;

// One record of a cloud database: its ID, its type, the server's change tag and its fields. A
// value: copying a record is the deep copy that the platform makes by archiving.
//
// The change tag is opaque text that the server gives each version of a record; a record never
// saved has none. Saves are conditional on it (see QVRCKDatabase).
class QVRCKRecord {
 public:
  using Fields = std::map<std::string, QVRCKRecordValue, std::less<>>;

  QVRCKRecord(std::string recordType, QVRCKRecordID recordID)
      : _recordID(std::move(recordID)), _recordType(std::move(recordType)) {}

  const QVRCKRecordID& recordID() const { return _recordID; }
  const std::string& recordType() const { return _recordType; }
  const std::optional<std::string>& recordChangeTag() const { return _recordChangeTag; }
  // Stores set the tag of the records they answer; nothing else should.
  void setRecordChangeTag(std::optional<std::string> tag) { _recordChangeTag = std::move(tag); }

  // The field's value, or none.
  const QVRCKRecordValue* objectForKey(std::string_view key) const;
  // The field's plain value, or none (also when it holds a file).
  const QVRPropertyList* propertyListForKey(std::string_view key) const;
  // The field's file, or none (also when it holds a plain value).
  const QVRCKAsset* assetForKey(std::string_view key) const;
  void setObject(QVRCKRecordValue object, std::string_view forKey);
  void removeObjectForKey(std::string_view key);
  // The keys of the fields, in order.
  std::vector<std::string> allKeys() const;
  const Fields& fields() const { return _fields; }

  // "<CKRecord recordType=… recordName=… recordChangeTag=… values={key=value; …}>", fields in
  // key order, for log lines.
  std::string description() const;

  // Archived as the platform's record class: "recordType", "recordID" (a CKRecordID),
  // "recordChangeTag" when there is one, and "values", a dictionary of plain values and
  // CKAsset objects. None when the type or the ID is missing or a field holds anything else.
  static std::string_view archiveClassName() { return "CKRecord"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const;
  static std::optional<QVRCKRecord> initWithCoder(QVRKeyedUnarchiver& coder);
  // The classes of a record's archive, for the unarchiver.
  static std::vector<std::string> archiveClassNames();

  friend bool operator==(const QVRCKRecord&, const QVRCKRecord&) = default;

 private:
  QVRCKRecordID _recordID;
  std::string _recordType;
  std::optional<std::string> _recordChangeTag;
  Fields _fields;
};
