// Sessions (keys in; components, line and announcements out), evaluation of lists that typing
// cannot make, and the key types.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "expression/QVRTallixExpression.h"
#include "support/KeyTyping.h"
#include "support/NotificationRecorder.h"
#include "support/ScopedEnvironment.h"
#include "support/TallixTest.h"

namespace {

using ComponentList = QVRTallixExpression::ComponentList;

class QVRTallixExpressionTest : public TallixTest {
 protected:
  // Types `keys` ("=" appends Equal, as saving to the tape does; "\r" is the inert Equal key);
  // answers how often the last key announced a change.
  std::size_t type(QVRTallixExpression& expression, const std::string& keys) {
    std::size_t posts = 0;
    const std::vector<QVRTallixKeyType> typed = KeyTyping::keysOf(keys).value();
    for (const QVRTallixKeyType key : typed) {
      NotificationRecorder recorder(environment().notificationCenter(),
                                    std::string(QVRTallixExpressionDidChange), &expression);
      if (key == QVRTallixKeyTypeEqual && keys.find('=') != std::string::npos) {
        expression.addOperation(QVRTallixOperationEqual);
      } else {
        expression.handleKey(key);
      }
      posts = recorder.count();
    }
    return posts;
  }
};

// The components' texts: typed numbers as typed, plain numbers after "#".
std::string shown(const QVRTallixExpression& expression) {
  std::string text;
  for (const QVRTallixComponent& component : expression.components()) {
    if (!text.empty()) text += ' ';
    if (component.tallixNumber() && !component.editableNumber()) text += '#';
    text += component.editString().value_or("?");
  }
  return text;
}

// A list from tokens: operations by their display text, "t3." a typed number ("t" blank),
// anything else a plain number.
ComponentList list(const std::string& tokens) {
  ComponentList components;
  std::istringstream stream(tokens);
  for (std::string token; stream >> token;) {
    const auto row = std::find_if(QVRTallixOperationTable.begin(), QVRTallixOperationTable.end(),
                                  [&](const auto& info) { return info.display == token; });
    if (row != QVRTallixOperationTable.end()) {
      components.emplace_back(QVRTallixOperation(row - QVRTallixOperationTable.begin()));
    } else if (token[0] == 't') {
      std::replace(token.begin(), token.end(), '.', '|');
      components.emplace_back(
          QVRTallixAnyNumber(std::make_unique<QVRTallixEditableNumber>(token.substr(1))));
    } else {
      components.emplace_back(
          QVRTallixAnyNumber(QVRTallixNumber(QVRTallixDecimal::fromString(token))));
    }
  }
  return components;
}

TEST_F(QVRTallixExpressionTest, KeysGiveTheirComponentsLineAndAnnouncements) {
  const struct {
    const char* keys;
    const char* shown;  // none: not checked
    const char* line;   // none: not checked
    int lastKeyPosts;
  } sessions[] = {
      {"", "#0", "0 = 0", 0},
      {"2+*", "2 ×", nullptr, 1},
      {"2+3)", "2 + 3", "2 + 3 = 5", 0},
      {"2+neg", "2 + -0", "2 + 0 = 2", 2},
      {"(2+3)neg", "( 2 + 3 ) ±", "(2 + 3) ± = -5", 2},
      {"2+3\r", "2 + 3", nullptr, 0},
      {"3+=", "3 + =", "3 + = 6", 1},
      {"2*(3+4)@-10%=", "2 × ( 3 + 4 ) ² − 10 % =", "2 × (3 + 4)² − 10 % = 88.2", 1},
      {"2*(. del", "2 × ( 0", "2 × (0 = 2", 1},
      {"rad 30 sin", nullptr, "30 sin = -0.988031624092862", 1},
  };
  for (const auto& session : sessions) {
    SCOPED_TRACE(session.keys);
    QVRTallixExpression expression;
    EXPECT_EQ(type(expression, session.keys), std::size_t(session.lastKeyPosts));
    EXPECT_EQ(shown(expression), session.shown ? session.shown : shown(expression));
    EXPECT_EQ(expression.stringDescription(),
              session.line ? session.line : expression.stringDescription());
    // The cache never answers for an older list.
    EXPECT_EQ(expression.result().decimalNumber(),
              expression.resultForExpression(expression.components()).decimalNumber());
  }
}

TEST_F(QVRTallixExpressionTest, ClearKeepsTheFirstTypedNumberAndKeysWithoutAnActionDoNothing) {
  QVRTallixExpression expression;
  EXPECT_TRUE(expression.isDirty() && expression.canDelete() && expression.deleteWillClear());
  type(expression, "12+3");
  EXPECT_TRUE(expression.canDelete() && !expression.deleteWillClear());
  const QVRTallixEditableNumber* first = expression.components().front().editableNumber();
  type(expression, "C7");
  EXPECT_EQ(expression.currentEditableNumber(), first);
  EXPECT_TRUE(!expression.canDelete() && expression.deleteWillClear());
  // Keys without an action, and keys beyond the table, change and announce nothing.
  NotificationRecorder recorder(environment().notificationCenter(),
                                std::string(QVRTallixExpressionDidChange));
  for (const std::uint64_t key : {12u, 18u, 23u, 24u, 61u, 62u, 70u, 1000u}) {
    expression.handleKey(static_cast<QVRTallixKeyType>(key));
  }
  EXPECT_EQ(shown(expression), "7");
  EXPECT_EQ(recorder.count(), 0u);
}

TEST_F(QVRTallixExpressionTest, ListsEvaluateLenientlyAndFailuresLogOnce) {
  const std::string emptyArray =
      ": NSRangeException: *** -[__NSArrayM removeLastObject]: empty array";
  const struct {
    const char* tokens;
    const char* shown;  // formattedString of the value
    std::string log;    // the one log line, or none
  } cases[] = {
      {"", "0", ""},
      {"3 + 4 ×", "7", ""},
      {"2 × ( t3. ×", "6", ""},
      {"3 = +", "6", ""},
      {") ( 2 + 3 ) × 2", "8", ""},
      {"1 ÷ 0", "Error", ""},
      {"÷ 5", "Error", "while evaulating (÷, 5)" + emptyArray},
      {"2 + ( ÷ 5 )", "Error", "while evaulating (÷, 5, =)" + emptyArray},
      {"2 t3. 4", "Error", "Couldn't handle add/subtract 100000 (2, 3., 4)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tokens);
    log().clear();
    EXPECT_EQ(QVRTallixExpression().resultForExpression(list(c.tokens)).formattedString(), c.shown);
    EXPECT_EQ(log().lines(), c.log.empty() ? std::vector<std::string>{} : std::vector{c.log});
  }
}

TEST_F(QVRTallixExpressionTest,
       GroupsBeyondTheNestingLimitGiveNotANumberWithoutExhaustingTheStack) {
  std::string deepest;
  for (std::size_t level = 1; level < QVRTallixExpression::maximumNestingDepth; ++level) {
    deepest += "( ";
  }
  const QVRTallixExpression expression;
  EXPECT_EQ(expression.resultForExpression(list(deepest + "7")).formattedString(), "7");
  EXPECT_TRUE(log().lines().empty());
  EXPECT_EQ(expression.resultForExpression(list(deepest + deepest + "7")).formattedString(),
            "Error");
  ASSERT_EQ(log().lines().size(), 1u);
  EXPECT_TRUE(log().lines().front().starts_with("while evaulating (("));
  EXPECT_LT(log().lines().front().size(), 2000u);
}

TEST_F(QVRTallixExpressionTest, TypedCharactersGiveTheirKeys) {
  // clang-format off
  const struct { const char* locale; const char* text; std::uint64_t key; } cases[] = {
      {"en_US", "71", 7}, {"en_US", "", 61},     {"en_US", "\x7f", 10}, {"en_US", "\uf739", 12},
      {"en_US", ",", 13}, {"en_US", "±", 15},    {"en_US", "√", 35},    {"en_US", "×", 61},
      {"en_US", "٫", 61}, {"en_US", "\xff", 61}, {"en_US", "𝟙", 61},    {"en_US", "\xe2\x88", 61},
      {"ar_EG", "٫", 13}, {"ar_EG", "٫5", 61},   {"de_DE", ",", 13},    {"de_DE", ".", 13},
  };
  // clang-format on
  for (const auto& c : cases) {
    ScopedEnvironment scoped(c.locale);
    EXPECT_EQ(QVRTallixExpression::keyTypeFromString(c.text), c.key) << c.locale << " " << c.text;
  }
}

}  // namespace
