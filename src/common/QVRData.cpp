#include "common/QVRData.h"

#include <zlib.h>

std::uint32_t QVRData::crc32(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint32_t>(crc32_z(0L, bytes.data(), bytes.size()));
}

std::uint32_t QVRData::crc32(std::string_view bytes) {
  return crc32(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}
