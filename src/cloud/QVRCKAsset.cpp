#include "cloud/QVRCKAsset.h"

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"

std::string QVRCKAsset::description() const {
  return "<CKAsset fileURL=" + _fileURL.string() + ">";
}

void QVRCKAsset::encodeWithCoder(QVRKeyedArchiver& coder) const {
  coder.encodeString("fileURL", _fileURL.string());
}

std::optional<QVRCKAsset> QVRCKAsset::initWithCoder(QVRKeyedUnarchiver& coder) {
  auto path = coder.decodeStringForKey("fileURL");
  if (!path) return std::nullopt;
  return QVRCKAsset(std::move(*path));
}
