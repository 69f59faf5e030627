// The full-screen calculator's state machine without a terminal: keys in, the current
// expression, the key name being typed and the tape out. Pasting and copying, and browsing and
// picking from the tape, go through a real terminal in TuiTmuxTests; random keys, the tape's
// among them, at every size in TuiFrameTests.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "expression/QVRTallixExpression.h"
#include "support/TallixTest.h"
#include "support/TuiScript.h"
#include "tallix/tui/TuiCalculator.h"
#include "tape/QVRTallixTape.h"

namespace {

using tallix::TuiCalculator;
using tallix::TuiFocus;

class TuiCalculatorTests : public TallixTest {
 protected:
  TuiCalculatorTests() {
    QVRTallixExpression::setCurrentExpression(std::make_shared<QVRTallixExpression>());
    calculator.resize(80, 24);
  }

  void type(std::string_view script) {
    for (const auto& input : tuiInputs(script)) calculator.handle(input);
  }

  // The tape's entries, "|" between them, favorites marked "*".
  std::string tapeText() {
    std::string text;
    const QVRTallixTape& tape = QVRTallixTape::tape();
    for (const auto& entry : tape.expressions()) {
      if (!text.empty()) text += '|';
      text += (tape.expressionIsFavorite(*entry) ? "*" : "") + entry->stringDescription();
    }
    return text;
  }

  TuiCalculator calculator;
};

TEST_F(TuiCalculatorTests, KeysEditTheExpressionAndEnterSavesToTheTape) {
  const struct {
    const char* script;
    const char* expression;  // the current expression's line afterwards
    const char* pending;
    const char* tape;
    const char* message;  // the start of the message
  } cases[] = {
      // (= as Enter, and going on from the result, are on the tmux screens.) Delete takes a
      // digit, then the operator.
      {"12+34<BS><BS><BS>", "12 = 12", "", "", ""},
      // Key names: typed when no name continues them, else at the next character; Backspace
      // edits the name, not the expression; an unknown name is dropped with a message.
      {"30sin", "30 = 30", "sin", "", ""},
      {"2sqx<BS>rt", "2 √ = 1.41421356237", "", "", ""},
      {"100log15", "15 = 15", "", "", ""},
      {"3zz+", "3 + = 3", "", "", "unknown key name 'zz'"},
      // A display with nothing typed finishes nothing; the tape refuses a bare repeat.
      {"<Enter><Esc><Enter>", "0 = 0", "", "", ""},
      {"2+2<Enter><Enter>", "4 = 4", "", "2 + 2 = 4", ""},
      // The angle mode follows the expression.
      {"<^R>90sin ", "RAD 90 sin = 0.893996663600558", "", "", ""},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.script);
    QVRTallixTape::tape().removeAllExpressions();
    QVRTallixExpression::setCurrentExpression(std::make_shared<QVRTallixExpression>());
    type(testCase.script);
    std::string line = calculator.expression().stringDescription();
    if (calculator.expression().hasTrignometricFunctions()) {
      line = (calculator.expression().radMode() ? "RAD " : "DEG ") + line;
    }
    EXPECT_EQ(line, testCase.expression);
    EXPECT_EQ(calculator.pendingWord(), testCase.pending);
    EXPECT_EQ(tapeText(), testCase.tape);
    EXPECT_EQ(calculator.message().substr(0, std::string(testCase.message).size()),
              testCase.message);
  }
}

}  // namespace
