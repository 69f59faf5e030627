#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/QVRBinaryPropertyListReader.h"
#include "common/QVRPropertyListReader.h"
#include "common/QVRPropertyListWriter.h"
#include "common/QVRXMLPropertyListReader.h"
#include "support/PropertyListTesting.h"

using namespace PropertyListTesting;
using Kind = QVRArchiveError::Kind;
using Bytes = std::vector<std::uint8_t>;

namespace {

QVRResult<std::optional<QVRPropertyList>> read(const Bytes& bytes) {
  return QVRPropertyListReader::propertyList(bytes);
}

QVRResult<std::optional<QVRPropertyList>> read(std::string_view text) {
  return QVRPropertyListReader::propertyList(text);
}

Bytes written(const QVRPropertyList& value, QVRPropertyListWriter::Format format) {
  auto data = QVRPropertyListWriter::dataFromPropertyList(value, format);
  EXPECT_TRUE(data.value) << (data.error ? data.error->description() : "");
  return data.value.value_or(Bytes{});
}

std::string xmlDocument(std::string_view body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST "
         "1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">" +
         std::string(body) + "</plist>\n";
}

// Lists whose element k holds element k - 1 `copies` times: with two copies, 2^levels paths
// through few bytes.
Bytes nestedBinaryArrays(int levels, std::uint8_t copies = 1) {
  std::vector<Bytes> objects{{0x54, 'l', 'e', 'a', 'f'}};
  for (int level = 1; level <= levels; ++level) {
    objects.push_back({static_cast<std::uint8_t>(0xA0 | copies)});
    objects.back().insert(objects.back().end(), copies, static_cast<std::uint8_t>(level - 1));
  }
  return binaryPropertyList(objects, static_cast<std::uint64_t>(levels));
}

std::string nestedXMLArrays(int levels) {
  std::string body;
  for (int level = 0; level < levels; ++level) body += "<array>";
  body += "<string>leaf</string>";
  for (int level = 0; level < levels; ++level) body += "</array>";
  return xmlDocument(body);
}

}  // namespace

// libplist's writer is an independent oracle for our readers: whatever it writes, in either
// format, must come back equal.
TEST(QVRPropertyListReader, ReadsBackWhatLibplistWritesForRandomPropertyListsOfEveryKind) {
  const std::uint64_t seed = SeededRandom::testSeed(0x9115C);
  std::mt19937_64 random(seed);
  for (int round = 0; round < 3000; ++round) {
    const bool xml = round % 2 == 1;
    const QVRPropertyList value = QVRPropertyList::Dictionary{
        {"root", randomPropertyList(random, {.xmlSafe = xml, .withUIDs = true})}};
    const auto format =
        xml ? QVRPropertyListWriter::Format::xml : QVRPropertyListWriter::Format::binary;
    const auto back = read(written(value, format));
    ASSERT_TRUE(back.value) << "seed " << seed << " round " << round << ": "
                            << (back.error ? back.error->description() : "");
    ASSERT_EQ(*back.value, value) << "seed " << seed << " round " << round;
  }
}

TEST(QVRBinaryPropertyListReader, HandMadeObjectsReadAsTheirValues) {
  const Bytes leaf{0x54, 'l', 'e', 'a', 'f'};
  // clang-format off
  struct Case { const char* name; std::vector<Bytes> objects; QVRPropertyList expected; };
  const std::vector<Case> cases = {
      {"one-byte integer", {{0x10, 0xFF}}, std::int64_t{255}},
      {"four-byte integer is unsigned", {{0x12, 0xFF, 0xFF, 0xFF, 0xFF}}, std::int64_t{4294967295}},
      {"eight-byte integer is signed", {{0x13, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}}, std::int64_t{-2}},
      {"sixteen-byte negative integer",
       {{0x14, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
         0xFF, 0xFB}},
       std::int64_t{-5}},
      {"UTF-16 text with a surrogate pair", {{0x63, 0x00, 0x41, 0xD8, 0x3D, 0xDE, 0x00}}, "A\xF0\x9F\x98\x80"},
      {"UID", {{0x81, 0x01, 0x02}}, QVRPropertyList::UID{258}},
      {"count in an integer object", {leaf, {0xAF, 0x10, 0x02, 0x00, 0x00}}, QVRPropertyList::Array{"leaf", "leaf"}},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const auto result = read(binaryPropertyList(testCase.objects, testCase.objects.size() - 1));
    ASSERT_TRUE(result.value) << result.error->description();
    EXPECT_EQ(*result.value, testCase.expected);
  }
}

TEST(QVRBinaryPropertyListReader, HostileObjectsAreRefusedWithTheirReason) {
  const Bytes leaf{0x54, 'l', 'e', 'a', 'f'};
  // clang-format off
  struct Case { const char* name; std::vector<Bytes> objects; Kind kind; };
  const std::vector<Case> cases = {
      {"a set", {leaf, {0xC1, 0}}, Kind::malformed},
      {"a dictionary keyed by a number", {{0x10, 5}, {0xD1, 0, 0}}, Kind::malformed},
      {"a list with a huge count",
       {leaf, {0xAF, 0x13, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0}},
       Kind::malformed},
      {"a reference out of range", {leaf, {0xA1, 9}}, Kind::malformed},
      {"ASCII text that is not ASCII", {{0x56, 0xC3, 0xA9, 0x41, 0x41, 0x41, 0x41}, {0xA1, 0}}, Kind::malformed},
      {"a lone UTF-16 surrogate", {{0x61, 0xD8, 0x00}, {0xA1, 0}}, Kind::malformed},
      {"a real of sixteen bytes", {{0x24, 0, 0, 0, 0, 0, 0, 0, 0}, {0xA1, 0}}, Kind::malformed},
      {"an integer beyond 64 bits",
       {{0x14, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}, {0xA1, 0}},
       Kind::malformed},
      {"an integer cut short by the offset table", {{0x13, 1, 2}}, Kind::malformed},
      {"a list holding itself", {{0xA1, 0}}, Kind::cycle},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const auto result = read(binaryPropertyList(testCase.objects, testCase.objects.size() - 1));
    ASSERT_FALSE(result.value);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->kind(), testCase.kind) << result.error->description();
  }
}

TEST(QVRBinaryPropertyListReader, BadTrailersAreRefused) {
  const Bytes good = binaryPropertyList({{0x54, 'l', 'e', 'a', 'f'}}, 0);
  ASSERT_TRUE(read(good).value);
  const std::size_t trailer = good.size() - 32;
  // clang-format off
  struct Case { const char* name; std::size_t offset; std::uint8_t byte; };
  const std::vector<Case> cases = {
      {"offset size 0", trailer + 6, 0},
      {"more objects than the table holds", trailer + 15, 2},
      {"an offset table inside the header", trailer + 31, 4},
      {"an object offset inside the header", trailer - 1, 2},
      {"an object offset in the offset table", trailer - 1, static_cast<std::uint8_t>(trailer - 2)},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    Bytes bytes = good;
    bytes[testCase.offset] = testCase.byte;
    const auto result = read(bytes);
    ASSERT_FALSE(result.value);
    EXPECT_EQ(result.error->kind(), Kind::malformed);
  }
  for (std::size_t length = 0; length < good.size(); ++length) {
    EXPECT_FALSE(
        read(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length))).value)
        << "cut to " << length << " bytes";
  }
}

// The design's trap: a few hundred bytes of lists that share their elements made libplist spend
// seconds and gigabytes; the budget refuses them after a bounded amount of work.
TEST(QVRBinaryPropertyListReader, SharedElementsCannotMultiplyTheWork) {
  const Bytes bomb = nestedBinaryArrays(60, 2);
  EXPECT_LT(bomb.size(), 400u);
  const auto refused = read(bomb);
  ASSERT_FALSE(refused.value);
  EXPECT_EQ(refused.error->kind(), Kind::budgetExceeded);
  // A little honest sharing (32 copies of one text) is read.
  const auto shared = read(nestedBinaryArrays(5, 2));
  ASSERT_TRUE(shared.value);
  const QVRPropertyList* level = &*shared.value;
  for (int depth = 0; depth < 5; ++depth) {
    ASSERT_TRUE(level->array());
    ASSERT_EQ(level->array()->size(), 2u);
    level = &level->array()->front();
  }
  EXPECT_EQ(*level, QVRPropertyList("leaf"));
}

TEST(QVRPropertyListReader, NestingIsReadUpToTheMaximumDepthAndRefusedBeyond) {
  const int deepest = static_cast<int>(QVRBinaryPropertyListReader::maximumDepth);
  EXPECT_TRUE(read(nestedBinaryArrays(deepest)).value);
  const auto binary = read(nestedBinaryArrays(deepest + 1));
  ASSERT_FALSE(binary.value);
  EXPECT_EQ(binary.error->kind(), Kind::tooDeep);
  EXPECT_TRUE(read(nestedXMLArrays(deepest)).value);
  const auto xml = read(nestedXMLArrays(deepest + 1));
  ASSERT_FALSE(xml.value);
  EXPECT_EQ(xml.error->kind(), Kind::tooDeep);
  // libxml2 stops a hundred thousand open elements long before our walk would see them.
  const auto huge = read(nestedXMLArrays(100000));
  ASSERT_FALSE(huge.value);
  EXPECT_EQ(huge.error->kind(), Kind::malformed);
}

TEST(QVRXMLPropertyListReader, DocumentsReadAsTheirValues) {
  // clang-format off
  struct Case { const char* name; std::string body; QVRPropertyList expected; };
  const std::vector<Case> cases = {
      {"every scalar",
       "<dict><key>b</key><true/><key>f</key><false/><key>i</key><integer>-42</integer><key>r</key><real>2.5</real>"
       "<key>s</key><string>a &amp; b &lt; c</string><key>d</key><date>2001-01-01T00:00:00Z</date><key>x</key>"
       "<data>AAEC</data></dict>",
       QVRPropertyList::Dictionary{{"b", true}, {"f", false}, {"i", std::int64_t{-42}}, {"r", 2.5}, {"s", "a & b < c"},
                                   {"d", QVRPropertyList::Date{0}}, {"x", QVRPropertyList::Data{0, 1, 2}}}},
      {"libplist's infinities", "<array><real>+infinity</real><real>-infinity</real></array>", QVRPropertyList::Array{HUGE_VAL, -HUGE_VAL}},
      {"reals beyond double", "<array><real>1e400</real><real>-1e-400</real></array>", QVRPropertyList::Array{HUGE_VAL, -0.0}},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const auto result = read(xmlDocument(testCase.body));
    ASSERT_TRUE(result.value) << result.error->description();
    EXPECT_EQ(*result.value, testCase.expected);
  }
  // A bare value without <plist> and a UTF-16 document with its byte-order mark.
  EXPECT_EQ(*read("<string>bare</string>").value, QVRPropertyList("bare"));
  Bytes utf16{0xFF, 0xFE};
  for (const char character : std::string("<plist><string>\xE9</string></plist>")) {
    utf16.insert(utf16.end(), {static_cast<std::uint8_t>(character), 0});
  }
  const auto wide = read(utf16);
  ASSERT_TRUE(wide.value) << wide.error->description();
  EXPECT_EQ(*wide.value, QVRPropertyList("\xC3\xA9"));
}

TEST(QVRXMLPropertyListReader, HostileAndBrokenDocumentsAreRefused) {
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]><plist><string>&d;&d;&d;</string></plist>";
  const struct {
    const char* name;
    std::string document;
  } cases[] = {
      {"entity expansion", laughs},
      {"a key without its value", xmlDocument("<dict><key>a</key></dict>")},
      {"an element property lists do not have", xmlDocument("<set/>")},
      {"an integer beyond 64 bits", xmlDocument("<integer>9223372036854775808</integer>")},
      {"an integer that is text", xmlDocument("<integer>12abc</integer>")},
      {"February 29 of a common year", xmlDocument("<date>2023-02-29T00:00:00Z</date>")},
      {"base64 with a bad character", xmlDocument("<data>AA*A</data>")},
      {"base64 with text after padding", xmlDocument("<data>AA==AA</data>")},
      {"an unclosed element", "<plist><array>"},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const auto result = read(testCase.document);
    EXPECT_FALSE(result.value);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->kind(), Kind::malformed) << result.error->description();
  }
  // Declarations are refused before anything could expand.
  EXPECT_EQ(read(laughs).error->detail(), "an XML entity declaration");
}
