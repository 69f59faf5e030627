// The full-screen calculator's state machine without a terminal: keys in, the current
// expression, the key name being typed, the tape and the pasteboard out.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/QVRPasteboard.h"
#include "expression/QVRTallixExpression.h"
#include "support/SeededRandom.h"
#include "support/TallixTest.h"
#include "support/TuiScript.h"
#include "tallix/TallixKeyTyper.h"
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
      {"12+3<Enter>", "15 = 15", "", "12 + 3 = 15", ""},
      // = is Enter; the result goes on with an operator, a digit starts afresh.
      {"2*3=*4<Enter>5", "5 = 5", "", "2 × 3 = 6|6 × 4 = 24", ""},
      // Delete takes a digit, then the operator; Esc clears.
      {"12+34<BS><BS><BS>", "12 = 12", "", "", ""},
      {"12+34<Esc>", "0 = 0", "", "", ""},
      // Key names: typed at once when complete and no name continues them, else at the next
      // character; Backspace and Esc edit the name, not the expression.
      {"2sqrt", "2 √ = 1.41421356237", "", "", ""},
      {"30sin", "30 = 30", "sin", "", ""},
      {"30sin ", "DEG 30 sin = 0.5", "", "", ""},
      {"30SIN+1<Enter>", "1.5 = 1.5", "", "30 sin + 1 = 1.5", ""},
      {"2sqx<BS>rt", "2 √ = 1.41421356237", "", "", ""},
      {"100log2", "100 log₂ = 6.64385618977", "", "", ""},
      {"100log15", "15 = 15", "", "", ""},
      // One letter types its own key: c clears, e is e to the power, E times ten to the power.
      {"5c7", "7 = 7", "", "", ""},
      {"2e ", "2 eˣ = 7.38905609893", "", "", ""},
      {"2E3<Enter>", "2,000 = 2,000", "", "2 EE 3 = 2,000", ""},
      {"4~", "-4 = -4", "", "", ""},
      // Constants in braces.
      {"{Pi}*2", "3.14159265359 × 2 = 6.28318530718", "", "", ""},
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

// Typing a line key by key gives what the line-mode calculator gives for the whole line, for
// random lines of keys and key names (each name followed by a blank, as a line needs).
TEST_F(TuiCalculatorTests, TypingKeyByKeyAgreesWithTheLineTyper) {
  std::vector<std::string> tokens = {"0",  "1",  "2",  "3",  "7", "9", ".", ",", "+", "-",
                                     "*",  "/",  "^",  "(",  ")", "[", "!", "%", "@", "#",
                                     "E ", "e ", "c ", "C ", " ", "×", "−", "√", "±", "{Pi}"};
  for (const auto& [word, key] : tallix::TallixKeyTyper::words()) {
    tokens.push_back(std::string(word) + " ");
    std::string upper(word);
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    tokens.push_back(upper + " ");
  }
  const std::uint64_t seed = SeededRandom::testSeed(0x7071);
  SeededRandom random(seed);
  const tallix::TallixKeyTyper typer;
  for (int round = 0; round < 3000; ++round) {
    std::string line;
    const auto count = random.between(1, 12);
    for (int index = 0; index < count; ++index) {
      line += tokens[static_cast<std::size_t>(
          random.between(0, static_cast<std::int64_t>(tokens.size()) - 1))];
    }
    // "rand" draws a number: the two would differ by chance.
    if (line.find("rand") != std::string::npos || line.find("RAND") != std::string::npos) continue;
    QVRTallixExpression expected;
    std::vector<QVRTallixKeyType> keys;
    std::vector<QVRTallixNumber> constants;
    ASSERT_FALSE(typer.keyTypes(line, keys, constants)) << line;
    tallix::TallixKeyTyper::handleKeys(expected, keys, constants);

    QVRTallixExpression::setCurrentExpression(std::make_shared<QVRTallixExpression>());
    type(line);
    type(" ");
    ASSERT_EQ(calculator.expression().stringDescription(), expected.stringDescription())
        << "line '" << line << "', seed " << seed;
    ASSERT_EQ(calculator.message(), "") << line;
  }
}

TEST_F(TuiCalculatorTests, TheTapeIsBrowsedAndItsResultsTakenBack) {
  const struct {
    const char* script;
    TuiFocus focus;
    std::optional<std::size_t> selection;
    const char* expression;
    const char* tape;
  } cases[] = {
      {"<Tab>", TuiFocus::tape, 2, "0 = 0", "1 + 1 = 2|2 + 2 = 4|3 + 3 = 6"},
      // Enter takes the chosen entry's result as a number, after an operator too.
      {"<Tab><Up><Enter>", TuiFocus::expression, 1, "4 = 4", "1 + 1 = 2|2 + 2 = 4|3 + 3 = 6"},
      {"10+<Tab><Home><Enter><Enter>", TuiFocus::expression, 3, "12 = 12",
       "1 + 1 = 2|2 + 2 = 4|3 + 3 = 6|10 + 2 = 12"},
      // The selection stays within the tape.
      {"<Tab><Up><Up><Up><Up><Up>", TuiFocus::tape, 0, "0 = 0", "1 + 1 = 2|2 + 2 = 4|3 + 3 = 6"},
      {"<Tab><Home><Down><Down><Down><PgDn>k", TuiFocus::tape, 1, "0 = 0",
       "1 + 1 = 2|2 + 2 = 4|3 + 3 = 6"},
      // Favorites and removal.
      {"<Tab><Up>f<Home>*", TuiFocus::tape, 0, "0 = 0", "*1 + 1 = 2|*2 + 2 = 4|3 + 3 = 6"},
      {"<Tab><Up>ff", TuiFocus::tape, 1, "0 = 0", "1 + 1 = 2|2 + 2 = 4|3 + 3 = 6"},
      {"<Tab><Home>fd", TuiFocus::tape, 0, "0 = 0", "2 + 2 = 4|3 + 3 = 6"},
      {"<Tab><Del><Del><Del><Del><Enter>", TuiFocus::tape, std::nullopt, "0 = 0", ""},
      // Typing in the tape goes to the expression; Esc goes back too.
      {"<Tab>7", TuiFocus::expression, 2, "7 = 7", "1 + 1 = 2|2 + 2 = 4|3 + 3 = 6"},
      {"<Tab><Esc>", TuiFocus::expression, 2, "0 = 0", "1 + 1 = 2|2 + 2 = 4|3 + 3 = 6"},
      // The help panel takes the keys until one closes it.
      {"<F1><Down>7", TuiFocus::expression, 2, "0 = 0", "1 + 1 = 2|2 + 2 = 4|3 + 3 = 6"},
      {"<Tab>?<Enter>", TuiFocus::tape, 2, "0 = 0", "1 + 1 = 2|2 + 2 = 4|3 + 3 = 6"},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.script);
    QVRTallixTape::tape().removeAllExpressions();
    QVRTallixExpression::setCurrentExpression(std::make_shared<QVRTallixExpression>());
    TuiCalculator fresh;
    fresh.resize(80, 24);
    for (const char* calculation : {"1+1<Enter>", "2+2<Enter>", "3+3<Enter><Esc>"}) {
      for (const auto& input : tuiInputs(calculation)) fresh.handle(input);
    }
    for (const auto& input : tuiInputs(testCase.script)) fresh.handle(input);
    EXPECT_EQ(fresh.focus(), testCase.focus);
    EXPECT_EQ(fresh.tapeSelection(), testCase.selection);
    EXPECT_EQ(fresh.expression().stringDescription(), testCase.expression);
    EXPECT_EQ(tapeText(), testCase.tape);
  }
}

TEST_F(TuiCalculatorTests, PasteTypesANumberAndCopyFillsBothClipboards) {
  std::string terminalClipboard;
  calculator.setCopyHandler([&](std::string_view text) { terminalClipboard = text; });
  const struct {
    std::string script;
    const char* expression;
    const char* pasteboard;  // afterwards
    const char* message;
  } cases[] = {
      {"<paste:1,234.5 USD>", "1,234.5 = 1,234.5", "1,234.5 USD", "Pasted 1,234.5"},
      {"2+<paste:-3>", "2 + -3 = -1", "-3", "Pasted -3"},
      {"7<paste:no digits>", "7 = 7", "no digits", "Nothing to paste"},
      // Hostile text: control sequences, broken UTF-8, right-to-left marks, a long paste.
      {"<paste:\x1b[J\x01\xff\xfe>", "0 = 0", "\x1b[J\x01\xff\xfe", "Nothing to paste"},
      {"<paste:\xe2\x80\x8f"
       "42\xe2\x80\x8e>",
       "42 = 42",
       "\xe2\x80\x8f"
       "42\xe2\x80\x8e",
       "Pasted 42"},
      {"6*7<^Y>", "6 × 7 = 42", "42", "Copied 42"},
      {"6*7<^T>", "6 × 7 = 42", "6 × 7 = 42", "Copied 6 × 7 = 42"},
      {"1000*1000<^Y><Esc><^V>", "1,000,000 = 1,000,000", "1,000,000", "Pasted 1,000,000"},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.script.substr(0, 40));
    QVRTallixExpression::setCurrentExpression(std::make_shared<QVRTallixExpression>());
    type(testCase.script);
    EXPECT_EQ(calculator.expression().stringDescription(), testCase.expression);
    EXPECT_EQ(environment().pasteboard().stringForType(QVRPasteboardTypeString),
              testCase.pasteboard);
    EXPECT_EQ(calculator.message().substr(0, std::string(testCase.message).size()),
              testCase.message);
    if (std::string_view(testCase.message).starts_with("Copied")) {
      EXPECT_EQ(terminalClipboard, testCase.pasteboard);
    }
  }
}

}  // namespace
