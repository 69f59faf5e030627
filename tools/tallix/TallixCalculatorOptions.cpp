#include "tallix/TallixCalculatorOptions.h"

#include <fmt/format.h>

namespace tallix {

std::optional<bool> TallixCalculatorOptions::radians(const std::vector<std::string>& arguments,
                                                     std::string_view chooser,
                                                     std::string_view command, TallixIO& io) {
  bool radians = false;
  for (const std::string& argument : arguments) {
    if (argument == "--radians") {
      radians = true;
    } else if (chooser.empty() || argument != chooser) {
      io.writeError(fmt::format(
          "{}: {} '{}' (see '{} --help')\n", command,
          argument.starts_with("-") ? "unknown option" : "unexpected argument", argument, command));
      return std::nullopt;
    }
  }
  return radians;
}

}  // namespace tallix
