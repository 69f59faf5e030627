// Evaluation of component lists made directly, including lists that typing cannot make.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "expression/QVRTallixExpression.h"
#include "support/TallixTest.h"

namespace {

using ComponentList = QVRTallixExpression::ComponentList;

// A list from blank-separated tokens: operations by their display text, "_" a blank typed
// number, "t12.5" a typed number, anything else a plain number.
ComponentList list(const std::string& tokens) {
  ComponentList components;
  std::istringstream stream(tokens);
  for (std::string token; stream >> token;) {
    bool isOperation = false;
    for (std::size_t value = 0; value < QVRTallixOperationTable.size(); ++value) {
      if (QVRTallixOperationTable[value].display == token) {
        components.emplace_back(static_cast<QVRTallixOperation>(value));
        isOperation = true;
      }
    }
    if (isOperation) continue;
    if (token == "_" || token.starts_with('t')) {
      std::string typed = token == "_" ? "" : token.substr(1);
      std::replace(typed.begin(), typed.end(), '.', '|');
      components.emplace_back(QVRTallixAnyNumber(std::make_unique<QVRTallixEditableNumber>(typed)));
    } else {
      components.emplace_back(
          QVRTallixAnyNumber(QVRTallixNumber(QVRTallixDecimal::fromString(token))));
    }
  }
  return components;
}

class QVRTallixEvaluation : public TallixTest {};

TEST_F(QVRTallixEvaluation, ListsEvaluateLenientlyAndFailuresLogOnce) {
  const struct {
    const char* tokens;
    const char* shown;  // formattedString of the value
    const char* log;    // the one log line, or "" for none
  } cases[] = {
      {"", "0", ""},
      {"=", "0", ""},
      {"%", "0", ""},
      {"2 xʸ 3 xʸ 2", "64", ""},
      {"2 xʸ 3 ²", "512", ""},
      {"3 +", "3", ""},
      {"3 + 4 ×", "7", ""},
      {"( 2 × )", "4", ""},
      {"(", "0", ""},
      {"( ( ( 1 ) ) )", "1", ""},
      {"2 × ( _", "2", ""},
      {"2 × ( ( _", "2", ""},
      {"2 × ( 3", "6", ""},
      {"2 × ( t3. ×", "6", ""},
      {"5 ±", "-5", ""},
      {"3 = +", "6", ""},
      {"2 = + 3", "5", ""},
      {") 2 + 3", "5", ""},
      {") ( 2 + 3 ) × 2", "8", ""},
      {"8 yˣ 3", "6,561", ""},
      {"8 ʸ√x 3", "2", ""},
      {"8 ˣ√y 3", "1.14720269044", ""},
      {"8 EE 3", "8,000", ""},
      {"8 logy 2", "3", ""},
      {"8 ÷ 3", "2.66666666667", ""},
      {"1 ÷ 0", "Error", ""},
      {"2 + 3 ( 4", "5", ""},
      {"÷ 5", "Error",
       "while evaulating (÷, 5): NSRangeException: *** -[__NSArrayM removeLastObject]: empty "
       "array"},
      {"2 + ( ÷ 5 )", "Error",
       "while evaulating (÷, 5, =): NSRangeException: *** -[__NSArrayM removeLastObject]: empty "
       "array"},
      {"2 t3. 4", "Error", "Couldn't handle add/subtract 100000 (2, 3., 4)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tokens);
    log().clear();
    const ComponentList components = list(c.tokens);
    const QVRTallixExpression expression;
    EXPECT_EQ(expression.resultForExpression(components).formattedString(), c.shown);
    const std::vector<std::string> lines = log().lines();
    if (*c.log) {
      EXPECT_EQ(lines, std::vector<std::string>{c.log});
    } else {
      EXPECT_TRUE(lines.empty()) << lines.front();
    }
  }
}

TEST_F(QVRTallixEvaluation, GroupsBeyondTheNestingLimitGiveNotANumberWithoutExhaustingTheStack) {
  const QVRTallixExpression expression;
  std::string deepest;
  for (std::size_t level = 0; level + 1 < QVRTallixExpression::maximumNestingDepth; ++level) {
    deepest += "( ";
  }
  EXPECT_EQ(expression.resultForExpression(list(deepest + "7")).formattedString(), "7");
  EXPECT_TRUE(log().lines().empty());
  EXPECT_EQ(expression.resultForExpression(list(deepest + deepest + "7")).formattedString(),
            "Error");
  ASSERT_EQ(log().lines().size(), 1u);
  EXPECT_TRUE(log().lines().front().starts_with("while evaulating (("));
  EXPECT_LT(log().lines().front().size(), 2000u);
}

TEST_F(QVRTallixEvaluation, TheWorkedExamplePassByPassLeavesItsInputAlone) {
  const QVRTallixExpression expression;
  const ComponentList input = list("2 × ( 3 + 4 ) ² − 10 % = + _");
  const std::string before = QVRTallixExpression::listDescription(input);
  const auto pass2 = expression.evaluateParenthesis(input);
  EXPECT_EQ(QVRTallixExpression::listDescription(pass2), "(2, ×, 7, ², −, 10, %, +, 0, =)");
  const auto pass3 = expression.evaluateFunctions(pass2);
  EXPECT_EQ(QVRTallixExpression::listDescription(pass3), "(2, ×, 49, −, 9.8, +, 0, =)");
  const auto pass5 = expression.evaluateMultiplyDivide(expression.evaluateExponents(pass3));
  EXPECT_EQ(QVRTallixExpression::listDescription(pass5), "(98, −, 9.8, +, 0, =)");
  EXPECT_EQ(expression.evaluateAddSubtract(pass5)->formattedString(), "88.2");
  EXPECT_EQ(expression.resultForExpression(input).formattedString(), "88.2");
  EXPECT_EQ(QVRTallixExpression::listDescription(expression.evaluateForDisplay(list("2 + 3 ×"))),
            "(3, ×)");
  EXPECT_EQ(expression.evaluateForDisplay(list("2 + 3")).size(), 3u);
  EXPECT_EQ(QVRTallixExpression::listDescription(input), before);
  EXPECT_TRUE(input.back().editableNumber()->isBlank());
}

TEST_F(QVRTallixEvaluation, TheResultIsCachedUntilTheExpressionChanges) {
  QVRTallixExpression expression(list("30 sin"));
  const QVRTallixNumber* cached = &expression.result();
  EXPECT_EQ(cached->formattedString(), "0.5");
  EXPECT_EQ(&expression.result(), cached);
  expression.setRadMode(true);
  EXPECT_EQ(expression.result().formattedString(), "-0.988031624092862");
  expression.setDirty(false);
  EXPECT_EQ(expression.result().formattedString(), "-0.988031624092862");
}

}  // namespace
