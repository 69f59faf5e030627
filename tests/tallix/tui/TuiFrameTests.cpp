// Cells of the full-screen calculator: text cut into terminal cells, the frame that holds them,
// the screens the renderer draws for each size, and the terminal clipboard's encoding.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/QVRXMLPropertyListReader.h"
#include "expression/QVRTallixExpression.h"
#include "support/SeededRandom.h"
#include "support/TallixTest.h"
#include "support/TuiScript.h"
#include "tallix/tui/TuiCalculator.h"
#include "tallix/tui/TuiCellText.h"
#include "tallix/tui/TuiClipboardSequence.h"
#include "tallix/tui/TuiFrame.h"
#include "tallix/tui/TuiRenderer.h"

namespace {

using tallix::TuiCellText;
using tallix::TuiClipboardSequence;
using tallix::TuiFrame;
using tallix::TuiStyle;

TEST(TuiCellText, CutsTextIntoCellsAndDefusesWhatATerminalMustNotReceive) {
  const struct {
    const char* text;
    const char* cells;  // the clusters, "|" between them
    std::size_t width;
  } cases[] = {
      {"日本", "日|本", 4},
      {"e\xcc\x81x", "e\xcc\x81|x", 2},  // a combining accent stays on its letter
      {"\xcc\x81"
       "a",
       " \xcc\x81|a", 2},  // a mark with nothing before it gets a blank
      {"a\xcc\x81\xcc\x81\xcc\x81\xcc\x81\xcc\x81\xcc\x81", "a\xcc\x81\xcc\x81\xcc\x81\xcc\x81", 1},
      {"\x1b[2J", "\xef\xbf\xbd|[|2|J", 4},  // no escape sequence reaches the terminal
      {"a\xff\xc3", "a|\xef\xbf\xbd|\xef\xbf\xbd", 3},
      {"\xe2\x80\xae"
       "12\xe2\x80\x8f",
       "1|2", 2},  // direction overrides and marks left out
      {"\xc2\x9b"
       "1",
       "\xef\xbf\xbd|1", 2},  // C1 controls too
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.text);
    std::string cells;
    for (const auto& cluster : TuiCellText::clusters(testCase.text)) {
      if (!cells.empty()) cells += '|';
      cells += cluster.text;
    }
    EXPECT_EQ(cells, testCase.cells);
    EXPECT_EQ(TuiCellText::width(testCase.text), testCase.width);
  }
}

TEST(TuiFrame, WideCharactersNeverSplitAndWritesStayInside) {
  const struct {
    int column;
    const char* text;
    int limit;
    const char* row;  // the frame's one row of 6 cells after "abcdef" and the write
    int end;
  } cases[] = {
      {1, "日", -1, "a日def", 3},
      {5, "日", -1, "abcde", 6},  // half of it would not fit: a blank stands in
      {2, "日本語", 5, "ab日 f", 5},
      {-1, "日xy", -1, " xydef", 3},  // a wide character cut by the left edge is a blank
      {4, "xyz", -1, "abcdxy", 6},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.text);
    TuiFrame frame(6, 1);
    frame.put(0, 0, "abcdef", TuiStyle::normal);
    EXPECT_EQ(frame.put(0, testCase.column, testCase.text, TuiStyle::normal, testCase.limit),
              testCase.end);
    EXPECT_EQ(frame.text(), testCase.row);
  }
  // Overwriting either half of a wide character blanks the other half.
  TuiFrame frame(4, 2);
  frame.put(0, 0, "日本", TuiStyle::normal);
  frame.put(0, 1, "x", TuiStyle::normal);
  frame.put(0, 2, "y", TuiStyle::normal);
  frame.put(1, 0, "ok", TuiStyle::normal);
  frame.put(5, 0, "outside", TuiStyle::normal);
  EXPECT_EQ(frame.text(), " xy\nok");
}

TEST(TuiClipboardSequence, EncodesAnyBytesAsBase64ThatTheReaderDecodes) {
  EXPECT_EQ(TuiClipboardSequence::forText("42"), "\x1b]52;c;NDI=\x07");
  EXPECT_EQ(
      TuiClipboardSequence::forText(std::string(TuiClipboardSequence::maximumLength + 1, 'x')), "");
  const std::uint64_t seed = SeededRandom::testSeed(0x52);
  SeededRandom random(seed);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(static_cast<std::size_t>(random.between(0, 40)), '\0');
    for (char& byte : bytes) byte = static_cast<char>(random.next());
    const auto decoded =
        QVRXMLPropertyListReader::base64Decoded(TuiClipboardSequence::base64(bytes));
    ASSERT_TRUE(decoded) << "seed " << seed;
    ASSERT_EQ(std::string(decoded->begin(), decoded->end()), bytes) << "seed " << seed;
  }
}

class TuiRendererTests : public TallixTest {};

TEST_F(TuiRendererTests, NoSizeBreaksAFrame) {
  QVRTallixExpression::setCurrentExpression(std::make_shared<QVRTallixExpression>());
  tallix::TuiCalculator calculator;
  for (const auto& input : tuiInputs("2+3<Enter>30sin <Tab>")) calculator.handle(input);
  // Random keys at random sizes: every frame fills its size and nothing reaches out of it.
  // (Which layout a size gets shows on the tmux screens: tiny, normal, wide.)
  const std::uint64_t seed = SeededRandom::testSeed(0x7E);
  SeededRandom random(seed);
  const std::string keys = "0123456789+-*/^()!%.,sqrtpi {g}c<Enter><Tab><BS><Up><Down>f?d~";
  const auto inputs = tuiInputs(keys);
  for (int round = 0; round < 1000; ++round) {
    if (round % 20 == 0) {
      calculator.resize(static_cast<int>(random.between(0, 130)),
                        static_cast<int>(random.between(0, 40)));
    }
    calculator.handle(inputs[static_cast<std::size_t>(
        random.between(0, static_cast<std::int64_t>(inputs.size()) - 1))]);
    const TuiFrame frame = tallix::TuiRenderer::render(calculator);
    ASSERT_EQ(frame.width(), calculator.layout().width) << "seed " << seed;
    if (const auto& cursor = frame.cursor()) {
      ASSERT_LT(cursor->second, frame.width()) << "seed " << seed;
      ASSERT_LT(cursor->first, frame.height()) << "seed " << seed;
    }
  }
}

}  // namespace
