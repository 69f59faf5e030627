#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tallix/TallixIO.h"

namespace tallix {

// The options of the two interactive calculators (line mode and full screen): `--radians`, and
// the word that chose the calculator, which may stand among them (`tallix --tui`).
class TallixCalculatorOptions {
 public:
  // Whether `--radians` was given; none after writing a usage error for any other argument but
  // `chooser` (empty: none is allowed).
  // `command` names the calculator in the error ("tallix", "tallix tui").
  static std::optional<bool> radians(const std::vector<std::string>& arguments,
                                     std::string_view chooser, std::string_view command,
                                     TallixIO& io);
};

}  // namespace tallix
