#include <gtest/gtest.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/QVRData.h"
#include "common/QVRString.h"

namespace {

std::uint64_t testSeed(std::uint64_t fixed) {
  const char* text = std::getenv("TALLIX_TEST_SEED");
  return text ? std::strtoull(text, nullptr, 10) : fixed;
}

TEST(QVRData, Crc32OfKnownVectors) {
  const struct {
    std::string bytes;
    std::uint32_t crc;
  } cases[] = {
      {"123456789", 0xCBF43926},
      {"", 0},
      {"abc", 0x352441C2},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339},
      {std::string(32, '\0'), 0x190A55AD},
  };
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

// ICU's reading of UTF-8, one code point at a time, is the oracle.
bool icuAcceptsUTF8(const std::string& bytes) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto length = static_cast<std::int32_t>(bytes.size());
  std::int32_t index = 0;
  while (index < length) {
    UChar32 c;
    U8_NEXT(data, index, length, c);
    if (c < 0) return false;
  }
  return true;
}

TEST(QVRString, Utf8CheckAgreesWithICUOnRandomBytes) {
  const std::uint64_t seed = testSeed(0x55AA1234);
  SCOPED_TRACE("TALLIX_TEST_SEED=" + std::to_string(seed));
  std::mt19937_64 random(seed);
  // Bytes at the edges of the encoding's ranges, and some ASCII.
  const std::uint8_t edges[] = {0x00, 0x41, 0x7f, 0x80, 0x8f, 0x90, 0x9f, 0xa0, 0xbf,
                                0xc0, 0xc1, 0xc2, 0xdf, 0xe0, 0xe1, 0xec, 0xed, 0xee,
                                0xef, 0xf0, 0xf1, 0xf3, 0xf4, 0xf5, 0xf8, 0xfe, 0xff};
  int valid = 0;
  for (int n = 0; n < 100'000; ++n) {
    std::string bytes(random() % 9, '\0');
    for (char& byte : bytes) {
      byte = static_cast<char>(random() % 4 == 0 ? random() % 256
                                                 : edges[random() % std::size(edges)]);
    }
    const bool expected = icuAcceptsUTF8(bytes);
    valid += expected;
    ASSERT_EQ(QVRString::isValidUTF8(bytes), expected) << testing::PrintToString(bytes);
  }
  EXPECT_GT(valid, 1000) << "the generator reaches well-formed text too";
}

}  // namespace
