#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/QVRData.h"

namespace {

TEST(QVRData, Crc32OfKnownVectors) {
  // clang-format off
  const struct { std::string bytes; std::uint32_t crc; } cases[] = {
      {"123456789", 0xCBF43926},
      {"", 0},
      {std::string(32, '\0'), 0x190A55AD},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(QVRData::crc32(c.bytes), c.crc);
  }
}

}  // namespace
