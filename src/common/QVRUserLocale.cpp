#include "common/QVRUserLocale.h"

#include <algorithm>

std::string QVRUserLocale::localeIdentifierFromEnvironment(const Lookup& getenv) {
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = getenv(variable);
    if (!value || !*value) continue;
    return localeIdentifier(value).value_or("en_US");
  }
  return "en_US";
}

std::optional<std::string> QVRUserLocale::localeIdentifier(std::string_view posixName) {
  std::string_view name = posixName;
  name = name.substr(0, name.find_first_of(".@"));
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  if (name == "C" || name == "POSIX") return "en_US_POSIX";
  if (name.empty()) return std::nullopt;
  const bool readable = std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-';
  });
  if (!readable) return std::nullopt;
  std::string identifier(name);
  std::replace(identifier.begin(), identifier.end(), '-', '_');
  return identifier;
}
