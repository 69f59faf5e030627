#include "tallix/TallixConstantLookup.h"

#include <fmt/format.h>

#include <algorithm>

#include "constants/QVRTallixCustomConstantNumber.h"
#include "constants/QVRTallixGlobalConstantNumber.h"
#include "tallix/TallixText.h"

namespace tallix {

namespace {

// Whether the constant goes by `title` (its title or its configuration name).
template <class Same>
bool goesBy(const QVRTallixConstantNumber& constant, std::string_view title, Same same) {
  if (same(constant.title(), title)) return true;
  const auto* builtIn = dynamic_cast<const QVRTallixGlobalConstantNumber*>(&constant);
  return builtIn && same(builtIn->name(), title);
}

}  // namespace

std::vector<TallixConstantLookup::Constant> TallixConstantLookup::all() {
  return QVRTallixConstantNumber::constants();
}

bool TallixConstantLookup::isBuiltIn(const QVRTallixConstantNumber& constant) {
  return dynamic_cast<const QVRTallixGlobalConstantNumber*>(&constant) != nullptr;
}

bool TallixConstantLookup::isHidden(const QVRTallixConstantNumber& constant) {
  const auto* builtIn = dynamic_cast<const QVRTallixGlobalConstantNumber*>(&constant);
  return builtIn && builtIn->isHidden();
}

TallixConstantLookup::Found TallixConstantLookup::titled(std::string_view title) {
  const std::vector<Constant> constants = all();
  const auto exact = [](std::string_view a, std::string_view b) { return a == b; };
  for (const bool ignoringCase : {false, true}) {
    std::vector<Constant> matches;
    for (const auto& constant : constants) {
      if (ignoringCase ? goesBy(*constant, title, equalIgnoringASCIICase)
                       : goesBy(*constant, title, exact)) {
        matches.push_back(constant);
      }
    }
    if (matches.size() == 1) return matches.front();
    if (matches.size() > 1) {
      return fmt::format(
          "ambiguous constant '{}': {} constants go by that title (name it by its number or "
          "uuid, see 'tallix constants')",
          title, matches.size());
    }
  }
  return fmt::format("unknown constant '{}' (see 'tallix constants')", title);
}

TallixConstantLookup::Found TallixConstantLookup::referenced(std::string_view reference) {
  Found found = titled(reference);
  if (std::holds_alternative<Constant>(found)) return found;
  const std::vector<Constant> constants = all();
  for (const auto& constant : constants) {
    const auto* custom = dynamic_cast<const QVRTallixCustomConstantNumber*>(constant.get());
    if (custom && equalIgnoringASCIICase(custom->uuid(), reference)) return constant;
  }
  if (const auto number = wholeNumber(reference)) {
    if (*number >= 1 && *number <= constants.size()) return constants[*number - 1];
    return fmt::format(
        "no constant number {} (the constants are numbered 1 to {}, see 'tallix "
        "constants --all')",
        reference, constants.size());
  }
  return found;
}

}  // namespace tallix
