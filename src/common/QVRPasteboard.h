#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The type of plain text on the pasteboard.
inline constexpr std::string_view QVRPasteboardTypeString = "public.utf8-plain-text";

// The general pasteboard: what one part of the program copies, another pastes.
class QVRPasteboard {
 public:
  virtual ~QVRPasteboard() = default;

  // Clears the pasteboard and declares the types that will be set; answers the change count.
  virtual long declareTypes(const std::vector<std::string>& types) = 0;
  // Sets the text of a declared type; false when the type was not declared.
  virtual bool setString(std::string_view string, std::string_view type) = 0;
  // The text of a type, or none.
  virtual std::optional<std::string> stringForType(std::string_view type) const = 0;
};
