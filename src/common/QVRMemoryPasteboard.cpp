#include "common/QVRMemoryPasteboard.h"

long QVRMemoryPasteboard::declareTypes(const std::vector<std::string>& types) {
  _declared = {types.begin(), types.end()};
  _contents.clear();
  return ++_changeCount;
}

bool QVRMemoryPasteboard::setString(std::string_view string, std::string_view type) {
  if (!_declared.contains(type)) return false;
  _contents.insert_or_assign(std::string(type), std::string(string));
  return true;
}

std::optional<std::string> QVRMemoryPasteboard::stringForType(std::string_view type) const {
  auto found = _contents.find(type);
  if (found == _contents.end()) return std::nullopt;
  return found->second;
}
