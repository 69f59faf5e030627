#include "common/QVRTextEncoding.h"

namespace {

bool isSurrogate(char32_t codePoint) {
  return codePoint >= 0xD800 && codePoint <= 0xDFFF;
}

}  // namespace

bool QVRTextEncoding::isValidUTF8(std::string_view text) {
  std::size_t position = 0;
  while (position < text.size()) {
    if (!nextCodePoint(text, position)) return false;
  }
  return true;
}

std::optional<char32_t> QVRTextEncoding::nextCodePoint(std::string_view text,
                                                       std::size_t& position) {
  if (position >= text.size()) return std::nullopt;
  const auto byte = [&](std::size_t index) { return static_cast<std::uint8_t>(text[index]); };
  const std::uint8_t lead = byte(position);
  std::size_t length = 0;
  char32_t codePoint = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    ++position;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    codePoint = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    codePoint = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    codePoint = lead & 0x07;
    minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (text.size() - position < length) return std::nullopt;
  for (std::size_t index = 1; index < length; ++index) {
    const std::uint8_t continuation = byte(position + index);
    if ((continuation & 0xC0) != 0x80) return std::nullopt;
    codePoint = (codePoint << 6) | (continuation & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF || isSurrogate(codePoint)) return std::nullopt;
  position += length;
  return codePoint;
}

bool QVRTextEncoding::appendUTF8(std::string& text, char32_t codePoint) {
  if (isSurrogate(codePoint) || codePoint > 0x10FFFF) return false;
  if (codePoint < 0x80) {
    text.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    text.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    text.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    text.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    text.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    text.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    text.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
  return true;
}

std::optional<std::string> QVRTextEncoding::utf8FromUTF16(std::span<const std::uint8_t> bytes,
                                                          bool bigEndian) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  const std::size_t count = bytes.size() / 2;
  const auto unit = [&](std::size_t index) -> char32_t {
    const std::uint8_t first = bytes[2 * index];
    const std::uint8_t second = bytes[2 * index + 1];
    return bigEndian ? (char32_t{first} << 8 | second) : (char32_t{second} << 8 | first);
  };
  std::string text;
  text.reserve(count);
  for (std::size_t index = 0; index < count; ++index) {
    char32_t codePoint = unit(index);
    if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) return std::nullopt;
    if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
      if (index + 1 >= count) return std::nullopt;
      const char32_t low = unit(index + 1);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
      ++index;
    }
    appendUTF8(text, codePoint);
  }
  return text;
}
