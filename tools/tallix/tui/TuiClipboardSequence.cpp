#include "tallix/tui/TuiClipboardSequence.h"

namespace tallix {

std::string TuiClipboardSequence::base64(std::string_view bytes) {
  static constexpr char digits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t index = 0;
  for (; index + 3 <= bytes.size(); index += 3) {
    const auto group = static_cast<unsigned>(static_cast<unsigned char>(bytes[index])) << 16 |
                       static_cast<unsigned>(static_cast<unsigned char>(bytes[index + 1])) << 8 |
                       static_cast<unsigned>(static_cast<unsigned char>(bytes[index + 2]));
    for (int shift = 18; shift >= 0; shift -= 6) text += digits[(group >> shift) & 0x3F];
  }
  const std::size_t rest = bytes.size() - index;
  if (rest > 0) {
    unsigned group = static_cast<unsigned>(static_cast<unsigned char>(bytes[index])) << 16;
    if (rest == 2)
      group |= static_cast<unsigned>(static_cast<unsigned char>(bytes[index + 1])) << 8;
    text += digits[(group >> 18) & 0x3F];
    text += digits[(group >> 12) & 0x3F];
    text += rest == 2 ? digits[(group >> 6) & 0x3F] : '=';
    text += '=';
  }
  return text;
}

std::string TuiClipboardSequence::forText(std::string_view text) {
  if (text.size() > maximumLength) return {};
  return "\x1b]52;c;" + base64(text) + "\x07";
}

}  // namespace tallix
