#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/QVRPropertyList.h"

// The user defaults: the user's preferences as property-list values under string keys. A setter
// writes at once (the file-backed store persists before it returns).
class QVRUserDefaults {
 public:
  virtual ~QVRUserDefaults() = default;

  // The value under `key`, or none.
  virtual std::optional<QVRPropertyList> objectForKey(std::string_view key) const = 0;
  virtual void setObject(std::string_view key, QVRPropertyList value) = 0;
  virtual void removeObjectForKey(std::string_view key) = 0;

  // The platform's boolean reading: false when absent or not readable as a boolean.
  bool boolForKey(std::string_view key) const {
    auto value = objectForKey(key);
    return value ? value->boolValue().value_or(false) : false;
  }
  void setBool(std::string_view key, bool value) { setObject(key, QVRPropertyList(value)); }
};
