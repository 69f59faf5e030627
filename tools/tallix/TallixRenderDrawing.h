#pragma once

#include <string>
#include <vector>

#include "tallix/TallixIO.h"

namespace tallix {

// What `tallix render` does with its arguments: reads the options, types the expression, lays it
// out with the glyph engine and writes the pictures. Lives in the tallix-render program (and the
// tests), apart from tallix, because of the libraries it draws with.
class TallixRenderDrawing {
 public:
  // Answers the exit status; messages go to `io`'s error stream.
  static int run(const std::vector<std::string>& arguments, TallixIO& io);
};

}  // namespace tallix
