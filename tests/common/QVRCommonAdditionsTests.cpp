#include <gtest/gtest.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/QVRData.h"
#include "common/QVRSoundEffect.h"
#include "common/QVRString.h"
#include "support/TallixTest.h"

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
      {"a", 0xE8B7BE43},
      {"abc", 0x352441C2},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339},
      {"message digest", 0x20159D7F},
      {std::string(32, '\0'), 0x190A55AD},
      {std::string(32, '\xff'), 0xFF6CAB0B},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(QVRData::crc32(c.bytes), c.crc);
  }
  std::vector<std::uint8_t> counting(32);
  for (std::size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(QVRData::crc32(counting), 0x91267E8Au);
  const std::string framed = "xx123456789yy";
  EXPECT_EQ(QVRData::crc32(std::string_view(framed).substr(2, 9)), 0xCBF43926u);
}

TEST(QVRString, UuidsAreFreshUpperCaseVersion4WithEveryRandomBitInUse) {
  constexpr int count = 10'000;
  std::set<std::string> seen;
  std::vector<int> ones(128, 0);
  for (int n = 0; n < count; ++n) {
    const std::string uuid = QVRString::uuid();
    ASSERT_EQ(uuid.size(), 36u) << uuid;
    std::string hex;
    for (std::size_t i = 0; i < uuid.size(); ++i) {
      if (i == 8 || i == 13 || i == 18 || i == 23) {
        ASSERT_EQ(uuid[i], '-') << uuid;
      } else {
        ASSERT_NE(std::string("0123456789ABCDEF").find(uuid[i]), std::string::npos) << uuid;
        hex += uuid[i];
      }
    }
    ASSERT_EQ(uuid[14], '4') << uuid;
    ASSERT_NE(std::string("89AB").find(uuid[19]), std::string::npos) << uuid;
    for (int bit = 0; bit < 128; ++bit) {
      const int digit = std::stoi(hex.substr(bit / 4, 1), nullptr, 16);
      ones[bit] += (digit >> (3 - bit % 4)) & 1;
    }
    seen.insert(uuid);
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(count));
  // The six fixed bits (version 0100, variant 10) aside, each bit is set about half the time.
  for (int bit = 0; bit < 128; ++bit) {
    if ((bit >= 48 && bit < 52) || bit == 64 || bit == 65) continue;
    EXPECT_GT(ones[bit], count * 4 / 10) << "bit " << bit;
    EXPECT_LT(ones[bit], count * 6 / 10) << "bit " << bit;
  }
}

TEST(QVRString, Utf8BoundariesOfWellFormedness) {
  const struct {
    std::string bytes;
    bool valid;
  } cases[] = {
      {"", true},
      {std::string("a\0b", 3), true},
      {"\x7f", true},
      {"\x80", false},              // a continuation alone
      {"\xc0\x80", false},          // overlong NUL
      {"\xc1\xbf", false},          // overlong
      {"\xc2\x80", true},           // U+0080
      {"\xdf\xbf", true},           // U+07FF
      {"\xe0\x9f\xbf", false},      // overlong
      {"\xe0\xa0\x80", true},       // U+0800
      {"\xed\x9f\xbf", true},       // U+D7FF
      {"\xed\xa0\x80", false},      // U+D800, a surrogate
      {"\xed\xbf\xbf", false},      // U+DFFF
      {"\xee\x80\x80", true},       // U+E000
      {"\xef\xbf\xbf", true},       // U+FFFF
      {"\xf0\x8f\xbf\xbf", false},  // overlong
      {"\xf0\x90\x80\x80", true},   // U+10000
      {"\xf4\x8f\xbf\xbf", true},   // U+10FFFF
      {"\xf4\x90\x80\x80", false},  // above U+10FFFF
      {"\xf5\x80\x80\x80", false},
      {"\xff", false},
      {"\xe2\x88", false},     // cut short
      {"\xe2\x88\x92", true},  // the minus sign
      {"\xc3\xa9\xe2\x88\x92\x41", true},
      {"\xe2\x41\x92", false},  // an ASCII byte inside
      {"\xf0\x9f\x98", false},  // cut short at the end
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(QVRString::isValidUTF8(c.bytes), c.valid);
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

class QVRSoundEffectTests : public TallixTest {};

TEST_F(QVRSoundEffectTests, SoundsAreOnUntilSwitchedOffAndTheSwitchBelongsToTheEnvironment) {
  EXPECT_TRUE(QVRSoundEffect::soundsEnabled());
  QVRSoundEffect::setSoundsEnabled(false);
  EXPECT_FALSE(QVRSoundEffect::soundsEnabled());
  EXPECT_EQ(environment().soundsEnabled(), false);
  {
    auto other = QVREnvironment::makeForTesting();
    QVREnvironment::Installation installed(*other);
    EXPECT_TRUE(QVRSoundEffect::soundsEnabled());
  }
  EXPECT_FALSE(QVRSoundEffect::soundsEnabled());
  QVRSoundEffect::setSoundsEnabled(true);
  EXPECT_EQ(environment().soundsEnabled(), true);
}

}  // namespace
