#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tallix {

// Text cut into terminal cells. Each cluster is one character with the marks that combine with
// it, one or two cells wide (East Asian wide and fullwidth characters take two). What a terminal
// must never receive from text of outside (a pasted text, another machine's tape) is replaced:
// control characters and invalid bytes become U+FFFD, format characters (direction marks and
// overrides) are left out, and at most `maximumMarks` marks stay on one character.
class TuiCellText {
 public:
  static constexpr std::size_t maximumMarks = 4;

  struct Cluster {
    std::string text;
    int width = 1;
  };

  static std::vector<Cluster> clusters(std::string_view text);
  // The cells that `text` takes.
  static std::size_t width(std::string_view text);
};

}  // namespace tallix
