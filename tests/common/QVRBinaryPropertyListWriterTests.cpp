#include <gtest/gtest.h>
#include <plist/plist.h>

#include <string>

#include "common/QVRPropertyListReader.h"
#include "common/QVRPropertyListWriter.h"
#include "support/SeededRandom.h"

namespace {

// Texts of every width (ASCII, two and three bytes, outside the basic plane) and lengths on both
// sides of 15, integers of every size, and lists long enough for two-byte references.
QVRPropertyList randomValue(SeededRandom& random, int depth) {
  static const char* const pieces[] = {"a", "×", "−", "€", "😀", "key", "0123456789abcdef"};
  switch (random.between(0, depth > 3 ? 3 : 5)) {
    case 0: {
      std::string text;
      for (auto count = random.between(0, 6); count > 0; --count)
        text += pieces[random.between(0, 6)];
      return text;
    }
    case 1:
      return std::int64_t(random.next() >> random.between(0, 63)) * (random.between(0, 1) ? 1 : -1);
    case 2:
      return QVRPropertyList::UID{random.next() >> random.between(32, 63)};
    case 3:
      return random.between(0, 1) == 1;
    case 4: {
      QVRPropertyList::Array array;
      for (auto count = random.between(0, depth == 0 ? 300 : 6); count > 0; --count)
        array.push_back(randomValue(random, depth + 1));
      return array;
    }
    default: {
      QVRPropertyList::Dictionary dictionary;
      for (auto count = random.between(0, 6); count > 0; --count)
        dictionary[std::to_string(random.between(0, 99)) + pieces[random.between(0, 6)]] =
            randomValue(random, depth + 1);
      return dictionary;
    }
  }
}

}  // namespace

// What the writer makes, our reader and libplist's read back as the value written.
TEST(QVRBinaryPropertyListWriter, RandomValuesReadBackTheSameInOurReaderAndLibplist) {
  const std::uint64_t seed = SeededRandom::testSeed(20261206);
  SeededRandom random(seed);
  for (int run = 0; run < 1000; ++run) {
    const QVRPropertyList value = randomValue(random, 0);
    const auto data =
        QVRPropertyListWriter::dataFromPropertyList(value, QVRPropertyListWriter::Format::binary);
    ASSERT_TRUE(data.value) << "seed " << seed;
    EXPECT_EQ(QVRPropertyListReader::propertyList(*data.value).value, value) << "seed " << seed;
    plist_t parsed = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(data.value->data()),
                   std::uint32_t(data.value->size()), &parsed);
    ASSERT_TRUE(parsed) << "seed " << seed;
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(parsed, &xml, &length);
    plist_free(parsed);
    ASSERT_TRUE(xml) << "seed " << seed;
    EXPECT_EQ(QVRPropertyListReader::propertyList(std::string_view(xml, length)).value, value)
        << "seed " << seed;
    plist_to_xml_free(xml);
  }
}
