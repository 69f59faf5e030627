#include "common/QVRPropertyList.h"

const QVRPropertyList* QVRPropertyList::find(std::string_view key) const {
  const Dictionary* entries = dictionary();
  if (!entries) return nullptr;
  auto found = entries->find(key);
  return found == entries->end() ? nullptr : &found->second;
}

std::optional<bool> QVRPropertyList::boolValue() const {
  if (const bool* flag = boolean()) return *flag;
  if (const std::int64_t* number = integer()) return *number != 0;
  if (const double* number = real()) return *number != 0;
  if (const std::string* text = string()) {
    if (*text == "YES" || *text == "true" || *text == "1") return true;
    if (*text == "NO" || *text == "false" || *text == "0") return false;
  }
  return std::nullopt;
}

std::optional<double> QVRPropertyList::doubleValue() const {
  if (const std::int64_t* number = integer()) return static_cast<double>(*number);
  if (const double* number = real()) return *number;
  if (const bool* flag = boolean()) return *flag ? 1.0 : 0.0;
  return std::nullopt;
}
