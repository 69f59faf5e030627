#include "cloud/QVRCKRecordID.h"

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"

void QVRCKRecordID::encodeWithCoder(QVRKeyedArchiver& coder) const {
  coder.encodeString("recordName", _recordName);
}

std::optional<QVRCKRecordID> QVRCKRecordID::initWithCoder(QVRKeyedUnarchiver& coder) {
  auto name = coder.decodeStringForKey("recordName");
  if (!name || name->empty()) return std::nullopt;
  return QVRCKRecordID(std::move(*name));
}
