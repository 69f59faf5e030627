#include "common/QVRString.h"

#include <errno.h>
#include <sys/random.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>

namespace {

// Fills `bytes` from getrandom(2), or from std::random_device where the system call is missing.
void fillRandom(std::array<std::uint8_t, 16>& bytes) {
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got > 0) {
      filled += static_cast<std::size_t>(got);
    } else if (got < 0 && errno != EINTR) {
      std::random_device device;
      for (std::size_t index = filled; index < bytes.size(); ++index) {
        bytes[index] = static_cast<std::uint8_t>(device());
      }
      return;
    }
  }
}

}  // namespace

std::string QVRString::uuid() {
  std::array<std::uint8_t, 16> bytes;
  fillRandom(bytes);
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  constexpr char digits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(36);
  for (std::size_t index = 0; index < bytes.size(); ++index) {
    if (index == 4 || index == 6 || index == 8 || index == 10) text += '-';
    text += digits[bytes[index] >> 4];
    text += digits[bytes[index] & 0x0F];
  }
  return text;
}

bool QVRString::isValidUTF8(std::string_view bytes) {
  std::size_t index = 0;
  const std::size_t size = bytes.size();
  auto byteAt = [&](std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); };
  while (index < size) {
    const std::uint8_t lead = byteAt(index);
    if (lead < 0x80) {
      ++index;
      continue;
    }
    // The length of the sequence and the range of its second byte, which rules out overlong
    // forms, surrogates and code points above U+10FFFF.
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (size - index < length) return false;
    const std::uint8_t second = byteAt(index + 1);
    if (second < low || second > high) return false;
    for (std::size_t offset = 2; offset < length; ++offset) {
      if ((byteAt(index + offset) & 0xC0) != 0x80) return false;
    }
    index += length;
  }
  return true;
}
