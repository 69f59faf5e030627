#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// Additions to byte buffers of the common services.
class QVRData {
 public:
  QVRData() = delete;

  // The standard CRC-32 (zlib's: reflected polynomial 0xEDB88320, initial value and final XOR
  // 0xFFFFFFFF); "123456789" gives 0xCBF43926. Documents keep it with their contents, so it must
  // stay this variant wherever they are read.
  static std::uint32_t crc32(std::span<const std::uint8_t> bytes);
  static std::uint32_t crc32(std::string_view bytes);
};
