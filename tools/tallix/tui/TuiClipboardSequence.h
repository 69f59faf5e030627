#pragma once

#include <string>
#include <string_view>

namespace tallix {

// The terminal's clipboard: the OSC 52 sequence that asks the terminal (or tmux, or the terminal
// that an ssh session ends in) to put a text on the system clipboard.
class TuiClipboardSequence {
 public:
  // Texts beyond this are not sent; terminals drop longer sequences anyway.
  static constexpr std::size_t maximumLength = 64 * 1024;

  // ESC ] 52 ; c ; base64 of the text BEL.
  static std::string forText(std::string_view text);
  static std::string base64(std::string_view bytes);
};

}  // namespace tallix
