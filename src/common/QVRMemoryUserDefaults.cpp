#include "common/QVRMemoryUserDefaults.h"

std::optional<QVRPropertyList> QVRMemoryUserDefaults::objectForKey(std::string_view key) const {
  auto found = _values.find(key);
  if (found == _values.end()) return std::nullopt;
  return found->second;
}

void QVRMemoryUserDefaults::setObject(std::string_view key, QVRPropertyList value) {
  _values.insert_or_assign(std::string(key), std::move(value));
}

void QVRMemoryUserDefaults::removeObjectForKey(std::string_view key) {
  auto found = _values.find(key);
  if (found != _values.end()) _values.erase(found);
}
