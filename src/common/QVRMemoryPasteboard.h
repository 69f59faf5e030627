#pragma once

#include <map>
#include <set>

#include "common/QVRPasteboard.h"

// A pasteboard inside the process.
class QVRMemoryPasteboard final : public QVRPasteboard {
 public:
  long declareTypes(const std::vector<std::string>& types) override;
  bool setString(std::string_view string, std::string_view type) override;
  std::optional<std::string> stringForType(std::string_view type) const override;

 private:
  std::set<std::string, std::less<>> _declared;
  std::map<std::string, std::string, std::less<>> _contents;
  long _changeCount = 0;
};
