// Sessions: keys typed into a new expression, then its components, its line and the change
// notifications of the last key.

#include <gtest/gtest.h>

#include <string>

#include "common/QVRPasteboard.h"
#include "expression/QVRTallixExpression.h"
#include "support/KeyTyping.h"
#include "support/NotificationRecorder.h"
#include "support/TallixTest.h"

namespace {

class QVRTallixExpressionSession : public TallixTest {
 protected:
  // Types `keys`; "=" appends Equal (as saving to the tape does), the other Equal keys ("\r")
  // are pressed as keys. Answers how often the last key announced a change.
  std::size_t type(QVRTallixExpression& expression, const std::string& keys) {
    const auto typed = KeyTyping::keysOf(keys);
    EXPECT_TRUE(typed) << keys;
    std::size_t posts = 0;
    for (std::size_t index = 0; typed && index < typed->size(); ++index) {
      NotificationRecorder recorder(environment().notificationCenter(),
                                    std::string(QVRTallixExpressionDidChange), &expression);
      if ((*typed)[index] == QVRTallixKeyTypeEqual && keys.find('=') != std::string::npos) {
        expression.addOperation(QVRTallixOperationEqual);
      } else {
        expression.handleKey((*typed)[index]);
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
    const QVRTallixAnyNumber* number = component.tallixNumber();
    if (number && !number->canEdit()) text += '#';
    text += component.editString().value_or("?");
  }
  return text;
}

struct Session {
  const char* keys;
  const char* shown;
  const char* line;  // stringDescription; none: not checked
  int lastKeyPosts;  // -1: not checked
};

TEST_F(QVRTallixExpressionSession, KeysGiveTheirComponentsLineAndAnnouncements) {
  const Session sessions[] = {
      {"", "#0", "0 = 0", -1},
      {"2+*", "2 ×", nullptr, 1},
      {"2*(+", "2 +", "2 + = 2", 1},
      {"()", "#0", nullptr, 1},
      {"(*", "#0", nullptr, 1},
      {"2+3)", "2 + 3", "2 + 3 = 5", 0},
      {"(2+3))", "( 2 + 3 )", "(2 + 3) = 5", 0},
      {"5(", "(", "( = 0", 1},
      {"5@(", "(", nullptr, 1},
      {"2+(3)(", "2 + (", nullptr, 1},
      {"2+neg", "2 + -0", "2 + 0 = 2", 2},
      {"(2+3)neg", "( 2 + 3 ) ±", "(2 + 3) ± = -5", 2},
      {"(2+3)neg neg", "( 2 + 3 )", nullptr, 2},
      {"4 inv inv", "4", nullptr, 1},
      {"pi 3", "3", "3 = 3", 1},
      {"2+3=9", "2 + 9", "2 + 9 = 11", 1},
      {"2+ del", "2", nullptr, 1},
      {"7 del", "0", nullptr, 1},
      {"pi del", "#0", nullptr, 1},
      {"75 del", "7", nullptr, 1},
      {"12+3C", "0", "0 = 0", 1},
      {"pi c", "0", nullptr, 1},
      {"1.5.", "1.5", nullptr, 0},
      {"1,5+1", "1.5 + 1", "1.5 + 1 = 2.5", 1},
      {"12 neg", "-12", nullptr, 1},
      {"12 neg neg+5", "12 + 5", "12 + 5 = 17", 1},
      {"2+3\r", "2 + 3", nullptr, 0},
      {"2+3*4", "2 + 3 × 4", "2 + 3 × 4 = 14", 1},
      {"3+=", "3 + =", "3 + = 6", 1},
      {"3*=", "3 × =", "3 × = 9", 1},
      {"2^=", "2 xʸ =", "2 xʸ = 4", 1},
      {"2+==", "2 + = =", "2 + = 4", 1},
      {"2*(3+4)@-10%=", "2 × ( 3 + 4 ) ² − 10 % =", "2 × (3 + 4)² − 10 % = 88.2", 1},
      {"(2*)", "( 2 × )", "(2 ×) = 4", 1},
      {"2*(3", "2 × ( 3", "2 × (3 = 6", 1},
      {"2*(", "2 × (", "2 × ( = 2", 1},
      {"2*(. del", "2 × ( 0", "2 × (0 = 2", 1},
      {"200+10%", nullptr, "200 + 10 % = 220", 1},
      {"200*10%", nullptr, "200 × 10 % = 20", 1},
      {"200+%", nullptr, "200 + % = 600", 1},
      {"2*sin", nullptr, "2 × sin = 0.0697989934050019", 1},
      {"1/0", nullptr, "1 ÷ 0 = Error", 1},
      {"2^3^2", nullptr, "2 xʸ 3 xʸ 2 = 64", 1},
      {"2^3@", nullptr, "2 xʸ 3² = 512", 1},
      {"5!+2=", nullptr, "5! + 2 = 122", 1},
      {"2E3", nullptr, "2 EE 3 = 2,000", 1},
      {"0e", nullptr, "0 eˣ = 1", 1},
      {"30 sin", nullptr, "30 sin = 0.5", 1},
      {"rad 30 sin", nullptr, "30 sin = -0.988031624092862", 1},
      {"rad", "#0", nullptr, 1},
      {"deg", "#0", nullptr, 0},
      {"8 yroot 3", nullptr, "8 ʸ√x 3 = 2", 1},
      {"3 root 8", nullptr, "3 ˣ√y 8 = 2", 1},
  };
  for (const Session& session : sessions) {
    SCOPED_TRACE(session.keys);
    QVRTallixExpression expression;
    const std::size_t posts = type(expression, session.keys);
    if (session.shown) {
      EXPECT_EQ(shown(expression), session.shown);
    }
    if (session.line) {
      EXPECT_EQ(expression.stringDescription(), session.line);
    }
    if (session.lastKeyPosts >= 0) {
      EXPECT_EQ(posts, std::size_t(session.lastKeyPosts));
    }
    // The cache never answers for an older list.
    EXPECT_EQ(expression.result().decimalNumber(),
              expression.resultForExpression(expression.components()).decimalNumber());
  }
}

TEST_F(QVRTallixExpressionSession, PastedNumbersReplaceABlankTypedNumberOrStartAfresh) {
  const struct {
    const char* keys;
    const char* shown;
  } cases[] = {{"2+", "2 + #7"},
               {"2+3", "#7"},
               {"2+. del neg", "2 + #7"},
               {"2*(", "2 × ( #7"},
               {"(2)", "#7"}};
  environment().pasteboard().declareTypes({std::string(QVRPasteboardTypeString)});
  environment().pasteboard().setString("7", QVRPasteboardTypeString);
  for (const auto& pasted : cases) {
    SCOPED_TRACE(pasted.keys);
    QVRTallixExpression expression;
    type(expression, pasted.keys);
    expression.addOrReplaceWithNumber(*QVRTallixNumber::tallixNumberFromPasteboard());
    EXPECT_EQ(shown(expression), pasted.shown);
  }
}

TEST_F(QVRTallixExpressionSession, DeleteAndClearKeepTheTypedNumberTheyEmpty) {
  QVRTallixExpression expression;
  EXPECT_TRUE(expression.isDirty());
  EXPECT_TRUE(expression.canDelete() && expression.deleteWillClear());
  type(expression, "12+3");
  EXPECT_TRUE(expression.canDelete() && !expression.deleteWillClear());
  const QVRTallixEditableNumber* first = expression.components().front().editableNumber();
  type(expression, "C");
  ASSERT_EQ(expression.components().size(), 1u);
  EXPECT_EQ(expression.currentEditableNumber(), first);
  EXPECT_TRUE(first->isBlank());
  type(expression, "7");
  EXPECT_FALSE(expression.canDelete());
  EXPECT_TRUE(expression.deleteWillClear());
}

TEST_F(QVRTallixExpressionSession, KeysWithoutActionAndKeysBeyondTheTableChangeNothing) {
  QVRTallixExpression expression;
  type(expression, "2+3");
  NotificationRecorder recorder(environment().notificationCenter(),
                                std::string(QVRTallixExpressionDidChange));
  for (const std::uint64_t key : {12u, 18u, 23u, 24u, 61u, 62u, 70u, 1000u}) {
    expression.handleKey(static_cast<QVRTallixKeyType>(key));
  }
  EXPECT_EQ(shown(expression), "2 + 3");
  EXPECT_EQ(recorder.count(), 0u);
}

TEST_F(QVRTallixExpressionSession, EveryKeyOnAnEmptyListStaysHarmless) {
  // Only archives and initWithComponents make an empty list; no key may read past its end.
  for (std::uint64_t key = 0; key <= 62; ++key) {
    SCOPED_TRACE(key);
    QVRTallixExpression expression{QVRTallixExpression::ComponentList{}};
    expression.handleKey(static_cast<QVRTallixKeyType>(key));
    expression.handleKey(static_cast<QVRTallixKeyType>(key));
    EXPECT_TRUE(expression.result().decimalNumber().has_value());
    EXPECT_FALSE(expression.stringDescription().empty());
  }
}

TEST_F(QVRTallixExpressionSession, SetExpressionCopiesTheComponentsWithoutEqual) {
  QVRTallixExpression source;
  type(source, "2+3=");
  QVRTallixExpression target;
  target.setRadMode(true);
  const std::string uuid = target.uuid();
  target.setExpression(source);
  EXPECT_EQ(shown(target), "2 + 3");
  EXPECT_EQ(target.uuid(), uuid);
  EXPECT_TRUE(target.radMode());
  EXPECT_NE(target.components()[2].editableNumber(), source.components()[2].editableNumber());
  EXPECT_TRUE(target.components()[2].isEqual(source.components()[2]));
  EXPECT_FALSE(target.isEqual(source));
}

}  // namespace
