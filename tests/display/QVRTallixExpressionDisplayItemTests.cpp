// Display items: the layout's rules on a scripted engine (exact numbers, failures) and on the
// real engines (order, whatever the items). Which items an expression makes shows in the
// rendered pictures and the full-screen calculator's screens.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "display/QVRGlyphLayoutEngine.h"
#include "display/QVRTallixExpressionDisplayItem.h"
#include "display/QVRTerminalCellLayoutEngine.h"
#include "support/SeededRandom.h"
#include "support/TallixTest.h"

namespace {

using Item = QVRTallixExpressionDisplayItem;
using Items = std::vector<Item>;

// An engine with fixed measures: every code point 8.5 wide at y = -0.5, images from a table.
// It can fail to make lines, add glyphs past the text, or draw two characters with one glyph.
class ScriptedEngine final : public QVRTextLayoutEngine {
 public:
  enum class Lines { normal, none, extraGlyphs, pairs };
  Lines lines = Lines::normal;
  std::map<std::string, double, std::less<>> images = {
      {"Expression_Add", 12.9}, {"Expression_SIN", 20.2}, {"Expression_TrigMode_Degree", 30}};
  int imageLookups = 0;

  std::optional<std::vector<QVRLaidOutGlyph>> layoutLine(std::string_view text, double) override {
    if (lines == Lines::none) return std::nullopt;
    std::vector<QVRLaidOutGlyph> glyphs;
    double x = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
      if (lines == Lines::pairs && glyphs.size() == 1 && glyphs.back().advance < 17) {
        glyphs.back().advance += 8.5;
      } else {
        glyphs.push_back({i, x, -0.5, 8.5});
      }
      x += 8.5;
    }
    if (lines == Lines::extraGlyphs) glyphs.push_back({text.size() + 4, 1000, 0, 8.5});
    return glyphs;
  }
  double widthOfText(std::string_view text, double) override {
    return text.empty() ? 0 : layoutLine(text, 0)->size() * 8.5;
  }
  std::optional<double> widthOfImage(std::string_view imageName) override {
    ++imageLookups;
    const auto found = images.find(imageName);
    return found == images.end() ? std::nullopt : std::optional<double>(found->second);
  }
};

Item digit(const char* text) {
  return Item::initWithDigit(text);
}
Item image(QVRTallixOperation value) {
  return Item::initWithOperationComponent(QVRTallixComponent(value));
}

class QVRTallixExpressionDisplayItemTest : public TallixTest {};

// Exact frames on the scripted engine, then its failures: no line gives empty frames and the
// pen restarts from 0; glyphs past the text are ignored; two characters drawn with one glyph
// share it. Each run is followed by an Add.
TEST_F(QVRTallixExpressionDisplayItemTest, ScriptedEngineGivesExactFrames) {
  using Lines = ScriptedEngine::Lines;
  struct Case {
    Lines lines;
    Items run;
    std::vector<QVRRect> frames;
  } cases[] = {
      // DEG (30 wide), "(", "1", "2" run, SIN (20), Add (12), "3" run, an unknown image, a
      // result (its text's width rounded up, and the padding).
      {Lines::normal,
       {Item::initWithTrignometricMode(false), digit("("), digit("1"), digit("2"),
        image(QVRTallixOperationSIN), image(QVRTallixOperationAdd), digit("3"),
        image(QVRTallixOperationCOS),
        Item::initWithCalculatedNumber(QVRTallixNumber(QVRTallixDecimal(-12345)))},
       {{0, 0, 30, 0},
        {33, 1, 9, 0},
        {41.5, -0.5, 9, 0},
        {50, -0.5, 9, 0},
        {62, 0, 20, 0},
        {85, 0, 12, 0},
        {100, -0.5, 9, 0},
        {112, 0, 0, 0},
        {115, 0, 70, 0},
        {188, 0, 12, 0}}},
      {Lines::none, {digit("1"), digit("2")}, {{}, {}, {3, 0, 12, 0}}},
      {Lines::extraGlyphs, {digit("1")}, {{0, -0.5, 9, 0}, {12, 0, 12, 0}}},
      {Lines::pairs,
       {digit("1"), digit("2"), digit("3")},
       {{0, -0.5, 9, 0}, {8.5, -0.5, 9, 0}, {17, -0.5, 9, 0}, {29, 0, 12, 0}}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.lines));
    ScriptedEngine engine;
    engine.lines = c.lines;
    Items items = c.run;
    items.push_back(image(QVRTallixOperationAdd));
    const QVRTallixTextAttributes attributes(engine);
    Item::layoutDisplayItems(items, attributes);
    ASSERT_EQ(items.size(), c.frames.size());
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].frame(), c.frames[i]) << i;
    if (c.lines != Lines::normal) continue;
    // Each image measured once, a missing one too; the second layout measures nothing.
    EXPECT_EQ(engine.imageLookups, 4);
    Item::layoutDisplayItems(items, attributes);
    EXPECT_EQ(engine.imageLookups, 4);
  }
}

// The real engines, on what the scripted one cannot make.
class DisplayLayoutOnEngine : public TallixTest, public ::testing::WithParamInterface<const char*> {
 protected:
  QVRTextLayoutEngine& engine() {
    if (std::string_view(GetParam()) == "cells") return QVRTerminalCellLayoutEngine::sharedEngine();
    return *QVRGlyphLayoutEngine::sharedEngine();
  }
};

// Random items as pasted text or a decoded list may make them: digits of right-to-left letters,
// combining marks (alone or after their base), joiners, wide characters, emoji, line ends and
// bad bytes; every operation value (parentheses, Equal, none and beyond the table); numbers.
// They stay in order, overlapping at most by the rounding up of widths.
TEST_P(DisplayLayoutOnEngine, HostileItemsStayInOrder) {
  const char* pieces[] = {"1",  "(",  "\u0301", "5\u0301",  "\u200d",
                          "א",  "١",  "٫",      "中",       "\xF0\x9F\x98\x80",
                          "\r", "\n", "\x80",   "\xF0\x9F", "\xFF"};
  const std::uint64_t seed = SeededRandom::testSeed(61212026);
  SeededRandom random(seed);
  for (int round = 0; round < 20000; ++round) {
    Items items;
    for (auto count = random.between(1, 8); count > 0; --count) {
      switch (random.between(0, 3)) {
        case 0:
          items.push_back(image(QVRTallixOperation(random.between(0, 45))));
          break;
        case 1:
          items.push_back(Item::initWithCalculatedNumber(QVRTallixNumber(
              QVRTallixDecimal::fromString(std::to_string(random.between(-99999, 99999))))));
          break;
        default: {
          std::string character = pieces[random.between(0, 14)];
          if (random.coin()) character += pieces[random.between(0, 14)];
          items.push_back(Item::initWithDigit(character));
        }
      }
    }
    Item::layoutDisplayItems(items, QVRTallixTextAttributes(engine()));
    for (std::size_t i = 1; i < items.size(); ++i) {
      ASSERT_GE(items[i].frame().x, items[i - 1].frame().x) << "seed " << seed << " " << round;
      ASSERT_GT(items[i].frame().x, items[i - 1].frame().maxX() - 1) << "seed " << seed;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, DisplayLayoutOnEngine, ::testing::Values("cells", "glyphs"));

}  // namespace
