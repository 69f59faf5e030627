// The terminal-cell engine: cell widths of characters, the texts drawn for images, and the
// character splitting under hostile bytes.

#include <gtest/gtest.h>

#include <string>

#include "common/QVRTextEncoding.h"
#include "display/QVRTallixExpressionDisplayItem.h"
#include "display/QVRTerminalCellLayoutEngine.h"
#include "support/SeededRandom.h"
#include "support/TallixTest.h"

namespace {

using Engine = QVRTerminalCellLayoutEngine;
using Item = QVRTallixExpressionDisplayItem;

class QVRTerminalCellLayoutEngineTest : public TallixTest {};

TEST_F(QVRTerminalCellLayoutEngineTest, LinesCountCellsPerCharacter) {
  struct Case {
    const char* text;
    std::vector<std::size_t> clusters;
    std::vector<double> widths;
  } cases[] = {
      {"12.5", {0, 1, 2, 3}, {1, 1, 1, 1}},
      {"×÷−√", {0, 2, 4, 7}, {1, 1, 1, 1}},  // East Asian ambiguous: narrow
      {"中５a", {0, 3, 6}, {2, 2, 1}},
      {"e\u0301x", {0, 3}, {1, 1}},            // a combining mark joins its base
      {"\u0301", {0}, {0}},                    // a lone mark takes no cell
      {"\xF0\x9F\x98\x80!", {0, 4}, {2, 1}},   // emoji
      {"\xE1\x84\x80\xE1\x85\xA1", {0}, {2}},  // a Hangul syllable from its jamo
      {"\x01\r\n", {0, 1}, {1, 1}},            // controls show as one replacement each
      {"\xff\xfe"
       "1",
       {0, 1, 2},
       {1, 1, 1}},  // bad bytes likewise
      {"\u200d\u200f", {0, 3}, {0, 0}},
      {"", {}, {}},
  };
  Engine engine;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::vector<QVRLaidOutGlyph> glyphs = engine.layoutLine(c.text, 15).value();
    ASSERT_EQ(glyphs.size(), c.clusters.size());
    double x = 0;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
      EXPECT_EQ(glyphs[i].cluster, c.clusters[i]);
      EXPECT_EQ(glyphs[i].advance, c.widths[i]);
      EXPECT_EQ(glyphs[i].x, x);
      x += c.widths[i];
    }
    EXPECT_EQ(engine.widthOfText(c.text, 15), x);
  }
}

TEST_F(QVRTerminalCellLayoutEngineTest, ImagesAreShortTexts) {
  struct Case {
    const char* imageName;
    std::optional<std::string> text;
  } cases[] = {
      {"Expression_Add", "+"},
      {"Expression_Subtract", "−"},
      {"Expression_SIN", "sin"},
      {"Expression_XRTY", "ˣ√y"},
      {"Expression_LOG10", "log₁₀"},
      {"Expression_TrigMode_Degree", "[DEG]"},
      {"Expression_TrigMode_Radian", "[RAD]"},
      {"Expression_none", std::nullopt},
      {"Add", std::nullopt},
      {"Expression_", std::nullopt},
  };
  Engine engine;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.imageName);
    EXPECT_EQ(Engine::textForImageName(c.imageName), c.text);
    const std::optional<double> width = engine.widthOfImage(c.imageName);
    EXPECT_EQ(width, c.text ? std::optional<double>(engine.widthOfText(*c.text, 1)) : std::nullopt);
  }
  // What a terminal draws for each kind of item.
  EXPECT_EQ(Engine::cellText(Item::initWithDigit("a\x07")), "a\uFFFD");
  EXPECT_EQ(Engine::cellText(
                Item::initWithOperationComponent(QVRTallixComponent(QVRTallixOperationMultiply))),
            "×");
  EXPECT_EQ(Engine::cellText(
                Item::initWithOperationComponent(QVRTallixComponent(QVRTallixOperation(4000)))),
            "");
  EXPECT_EQ(Engine::cellText(Item::initWithTrignometricMode(true)), "[RAD]");
  EXPECT_EQ(Engine::cellText(Item::initWithCalculatedNumber(
                QVRTallixNumber(QVRTallixDecimal::fromString("-1234.5")))),
            "-1,234.5");
}

TEST_F(QVRTerminalCellLayoutEngineTest, RandomBytesSplitIntoCoveringCharacters) {
  const std::uint64_t seed = SeededRandom::testSeed(6121206);
  SeededRandom random(seed);
  Engine engine;
  QVRComposedCharacterSequences characters;
  // Bytes weighted towards UTF-8 lead and continuation bytes, marks and joiners.
  const std::string pieces[] = {
      "1",        "\xCC\x81", "\xE2\x80\x8D", "\xD7\x90", "\xE4\xB8\xAD",    "\x80",
      "\xF0\x9F", "\xFF",     "\r",           "\n",       "\xF0\x9F\x87\xA9"};
  for (int round = 0; round < 100000; ++round) {
    std::string text;
    const auto length = random.between(0, 12);
    for (std::int64_t k = 0; k < length; ++k) {
      text += random.coin() ? pieces[random.between(0, 10)]
                            : std::string(1, static_cast<char>(random.between(0, 255)));
    }
    const auto ranges = characters.ranges(text);
    const std::vector<QVRLaidOutGlyph> glyphs = engine.layoutLine(text, 15).value();
    ASSERT_EQ(glyphs.size(), ranges.size()) << "seed " << seed;
    std::size_t covered = 0;
    double x = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
      // Contiguous, non-empty, and split at code point boundaries in well-formed text.
      ASSERT_EQ(ranges[i].first, covered) << "seed " << seed << " round " << round;
      ASSERT_LT(ranges[i].first, ranges[i].second) << "seed " << seed;
      ASSERT_TRUE(!QVRTextEncoding::isValidUTF8(text) ||
                  (static_cast<unsigned char>(text[ranges[i].first]) & 0xC0) != 0x80)
          << "seed " << seed;
      ASSERT_EQ(glyphs[i].cluster, ranges[i].first) << "seed " << seed;
      ASSERT_EQ(glyphs[i].x, x) << "seed " << seed;
      ASSERT_TRUE(glyphs[i].advance >= 0 && glyphs[i].advance <= 2) << "seed " << seed;
      covered = ranges[i].second;
      x += glyphs[i].advance;
    }
    ASSERT_EQ(covered, text.size()) << "seed " << seed;
  }
}

}  // namespace
