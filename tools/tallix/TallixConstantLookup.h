#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "constants/QVRTallixConstantNumber.h"

namespace tallix {

// Finds the constants that the user names on the command line. The listing of `tallix constants`
// numbers every constant (built-in and custom, hidden or not) by its place in the sorted list,
// from 1, so a number stays the same with and without --all.
class TallixConstantLookup {
 public:
  using Constant = std::shared_ptr<QVRTallixConstantNumber>;
  // The constant found, or the message saying why none was.
  using Found = std::variant<Constant, std::string>;

  TallixConstantLookup() = delete;

  // Every constant, sorted by title (opens the custom-constants document).
  static std::vector<Constant> all();
  // A constant by its title or, for a built-in one, its configuration name: exactly first, then
  // ignoring the case of ASCII letters. Unknown and ambiguous titles are messages.
  static Found titled(std::string_view title);
  // A constant by a reference of the command line: a title (as titled), a custom constant's
  // uuid, or the number it is listed under.
  static Found referenced(std::string_view reference);

  // Whether the constant is built in, and then whether it is hidden.
  static bool isBuiltIn(const QVRTallixConstantNumber& constant);
  static bool isHidden(const QVRTallixConstantNumber& constant);
};

}  // namespace tallix
