// The terminal-cell engine: cell widths of characters.

#include <gtest/gtest.h>

#include <string>

#include "display/QVRTallixExpressionDisplayItem.h"
#include "display/QVRTerminalCellLayoutEngine.h"
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
      {"×÷−√", {0, 2, 4, 7}, {1, 1, 1, 1}},  // East Asian ambiguous: narrow
      {"中５a", {0, 3, 6}, {2, 2, 1}},
      {"e\u0301x", {0, 3}, {1, 1}},            // a combining mark joins its base
      {"\u0301", {0}, {0}},                    // a lone mark takes no cell
      {"\xF0\x9F\x98\x80!", {0, 4}, {2, 1}},   // emoji
      {"\xE1\x84\x80\xE1\x85\xA1", {0}, {2}},  // a Hangul syllable from its jamo
      {"\x01\r\n\xff", {0, 1, 3}, {1, 1, 1}},  // controls and bad bytes: a replacement each
      {"\u200d\u200f", {0, 3}, {0, 0}},
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
  // The texts drawn for images show on the full-screen calculator's screens; a digit's text
  // is defused like any other.
  EXPECT_EQ(Engine::cellText(Item::initWithDigit("a\x07")), "a\uFFFD");
}

}  // namespace
