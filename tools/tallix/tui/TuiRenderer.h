#pragma once

#include "tallix/tui/TuiFrame.h"

namespace tallix {

class TuiCalculator;

// Draws the full-screen calculator's state into a frame of its layout's size: the expression
// with its result and angle badge, the tape with favorites and the chosen entry, the help panel,
// the message line and the key hints. Reads the state only.
class TuiRenderer {
 public:
  static constexpr const char* tooSmallText = "tallix: terminal too small";

  static TuiFrame render(const TuiCalculator& calculator);
};

}  // namespace tallix
