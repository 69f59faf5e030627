#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "common/QVRData.h"
#include "common/QVRString.h"

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
  const std::string framed = "xx123456789yy";
  EXPECT_EQ(QVRData::crc32(std::string_view(framed).substr(2, 9)), 0xCBF43926u);
}

TEST(QVRString, UuidsAreFreshUpperCaseVersion4) {
  constexpr int count = 10'000;
  std::set<std::string> seen;
  for (int n = 0; n < count; ++n) {
    const std::string uuid = QVRString::uuid();
    ASSERT_EQ(uuid.size(), 36u) << uuid;
    ASSERT_EQ(uuid.substr(8, 1) + uuid[13] + uuid[18] + uuid[23], "----") << uuid;
    ASSERT_EQ(uuid[14], '4') << uuid;                                          // version 4
    ASSERT_NE(std::string("89AB").find(uuid[19]), std::string::npos) << uuid;  // variant 10
    ASSERT_EQ(uuid.find_first_not_of("0123456789ABCDEF-"), std::string::npos) << uuid;
    seen.insert(uuid);
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(count));
}

}  // namespace
