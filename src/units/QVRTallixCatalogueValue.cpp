#include "units/QVRTallixCatalogueValue.h"

#include <cmath>

std::optional<std::string> QVRTallixCatalogueValue::string(
    const QVRPropertyList::Dictionary& dictionary, std::string_view key) {
  const auto found = dictionary.find(key);
  if (found == dictionary.end()) return std::nullopt;
  const std::string* text = found->second.string();
  return text ? std::optional<std::string>(*text) : std::nullopt;
}

bool QVRTallixCatalogueValue::boolean(const QVRPropertyList::Dictionary& dictionary,
                                      std::string_view key) {
  const auto found = dictionary.find(key);
  return found != dictionary.end() && found->second.boolValue().value_or(false);
}

std::uint64_t QVRTallixCatalogueValue::unsignedInteger(
    const QVRPropertyList::Dictionary& dictionary, std::string_view key) {
  const auto found = dictionary.find(key);
  if (found == dictionary.end()) return 0;
  const QVRPropertyList& value = found->second;
  if (const bool* flag = value.boolean()) return *flag ? 1 : 0;
  if (const std::int64_t* integer = value.integer()) {
    return *integer >= 0 ? static_cast<std::uint64_t>(*integer) : 0;
  }
  if (const double* real = value.real()) {
    // 2^64 itself does not fit; every double below it does.
    if (!std::isfinite(*real) || *real < 0 || *real >= 18446744073709551616.0) return 0;
    return static_cast<std::uint64_t>(*real);
  }
  return 0;
}
