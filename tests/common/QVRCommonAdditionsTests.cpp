#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

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

TEST(QVRString, UuidsAreFreshUpperCaseVersion4WithEveryRandomBitInUse) {
  constexpr int count = 10'000;
  std::set<std::string> seen;
  std::vector<int> ones(128, 0);
  const std::string digits = "0123456789ABCDEF";
  for (int n = 0; n < count; ++n) {
    std::string uuid = QVRString::uuid();
    ASSERT_EQ(uuid.size(), 36u) << uuid;
    ASSERT_EQ(uuid.substr(8, 1) + uuid[13] + uuid[18] + uuid[23], "----") << uuid;
    ASSERT_EQ(uuid[14], '4') << uuid;                                          // version 4
    ASSERT_NE(std::string("89AB").find(uuid[19]), std::string::npos) << uuid;  // variant 10
    seen.insert(uuid);
    std::erase(uuid, '-');
    for (int bit = 0; bit < 128; ++bit) {
      const auto digit = digits.find(uuid[bit / 4]);
      ASSERT_NE(digit, std::string::npos) << uuid;
      ones[bit] += static_cast<int>(digit >> (3 - bit % 4)) & 1;
    }
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(count));
  // The six fixed bits aside, each bit is set about half the time: no stuck or copied bytes.
  for (int bit = 0; bit < 128; ++bit) {
    if ((bit >= 48 && bit < 52) || bit == 64 || bit == 65) continue;
    EXPECT_NEAR(ones[bit], count / 2, count / 10) << "bit " << bit;
  }
}

}  // namespace
