#pragma once

#include <optional>
#include <string>
#include <string_view>

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;

// The identity of a record in a database: its name. A value.
class QVRCKRecordID {
 public:
  explicit QVRCKRecordID(std::string recordName) : _recordName(std::move(recordName)) {}

  const std::string& recordName() const { return _recordName; }

  // Archived as the platform's record ID class, with the name under "recordName".
  static std::string_view archiveClassName() { return "CKRecordID"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const;
  // None without a name.
  static std::optional<QVRCKRecordID> initWithCoder(QVRKeyedUnarchiver& coder);

  friend bool operator==(const QVRCKRecordID&, const QVRCKRecordID&) = default;

 private:
  std::string _recordName;
};
