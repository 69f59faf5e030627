// Keyed archives of expressions and components: round trips, the older lists of plain elements,
// missing keys and hostile records; copies and the text forms that archives feed.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "expression/QVRTallixExpression.h"
#include "support/KeyTyping.h"
#include "support/NotificationRecorder.h"
#include "support/TallixTest.h"

namespace {

using Format = QVRPropertyListWriter::Format;

// A record of any class written by a function: archives that the model would not write.
struct Record {
  std::string_view className;
  std::function<void(QVRKeyedArchiver&)> write;
  std::string_view archiveClassName() const { return className; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const { write(coder); }
};

template <class Root>
QVRPropertyList::Data archived(const Root& root, Format format = Format::binary) {
  QVRKeyedArchiver archiver;
  archiver.encodeObject(QVRKeyedArchiver::rootKey, root);
  return archiver.finishedData(format).value.value_or(QVRPropertyList::Data{});
}

std::unique_ptr<QVRTallixExpression> decoded(const QVRPropertyList::Data& bytes) {
  return QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixExpression>(
             bytes, QVRTallixExpression::archiveClassNames())
      .value;
}

// An expression record with the uuid "FIXED" and "components" written by `components`.
Record expressionRecord(std::function<void(QVRKeyedArchiver::ArrayEncoder&)> components) {
  return {"QVRTallixExpression", [components](QVRKeyedArchiver& coder) {
            if (components) coder.encodeArray("components", components);
            coder.encodeString("uuid", "FIXED");
          }};
}

QVRTallixNumber number(const char* text) {
  return QVRTallixNumber(QVRTallixDecimal::fromString(text));
}

std::string names(const QVRTallixExpression& expression) {
  std::string text;
  for (const QVRTallixComponent& component : expression.components()) {
    text += std::string(component.name().value_or("?")) + " ";
  }
  return text;
}

class QVRTallixExpressionArchive : public TallixTest {};

TEST_F(QVRTallixExpressionArchive, RoundTripsKeepComponentsModeAndIdentityAndClearTheFlag) {
  for (const Format format : {Format::binary, Format::xml}) {
    QVRTallixExpression expression;
    KeyTyping::type(expression, "12.5+(3*4 sin-");
    expression.addOperation(QVRTallixOperationEqual);
    expression.setRadMode(true);
    NotificationRecorder recorder(environment().notificationCenter(),
                                  std::string(QVRTallixExpressionDidChange));
    const auto copy = decoded(archived(expression, format));
    ASSERT_TRUE(copy);
    EXPECT_FALSE(expression.isDirty());
    EXPECT_EQ(recorder.count(), 0u);
    EXPECT_TRUE(copy->isEqual(expression));
    EXPECT_TRUE(copy->radMode());
    EXPECT_FALSE(copy->isDirty());
    ASSERT_EQ(copy->components().size(), expression.components().size());
    for (std::size_t index = 0; index < copy->components().size(); ++index) {
      EXPECT_TRUE(copy->components()[index].isEqual(expression.components()[index])) << index;
    }
    EXPECT_EQ(copy->components().front().editableNumber()->string(), "12|5");
    EXPECT_EQ(copy->stringDescription(), expression.stringDescription());
  }
}

TEST_F(QVRTallixExpressionArchive, ListsOfPlainElementsBecomeComponents) {
  const struct {
    std::function<void(QVRKeyedArchiver::ArrayEncoder&)> elements;
    const char* names;
    const char* line;
  } cases[] = {
      {[](auto& list) {
         list.encodeObject(number("2"));
         list.encodeInteger(7);
         list.encodeObject(number("3"));
       },
       "number Add number ", "2 + 3 = 5"},
      {[](auto& list) {
         list.encodeObject(number("2"));
         list.encodeDouble(5.9);
         list.encodeObject(QVRTallixEditableNumber("4|"));
         list.encodeBool(true);
       },
       "number Multiply number Negate ", "2 × 4 ± = -8"},
      {[](auto& list) {
         list.encodeInteger(-1);
         list.encodeInteger(4294967296 + 3);
       },
       "? CloseParenthesis ", ") = 0"},
      // A list that ends in a component is a list of components: other elements are left out.
      {[](auto& list) {
         list.encodeInteger(7);
         list.encodeObject(QVRTallixComponent(QVRTallixOperationEqual));
       },
       "Equal ", " = 0"},
      {[](auto&) {}, "", " = 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.names);
    const auto expression = decoded(archived(expressionRecord(c.elements)));
    ASSERT_TRUE(expression);
    EXPECT_EQ(names(*expression), c.names);
    EXPECT_EQ(expression->stringDescription(), c.line);
    EXPECT_EQ(expression->uuid(), "FIXED");
    EXPECT_FALSE(expression->radMode());
  }
}

TEST_F(QVRTallixExpressionArchive, MissingKeysHaveDefaultsAndBrokenRecordsAreRefused) {
  const auto missing = decoded(archived(Record{"QVRTallixExpression", [](auto&) {}}));
  ASSERT_TRUE(missing);
  EXPECT_TRUE(missing->isDirty());
  ASSERT_EQ(missing->components().size(), 1u);
  EXPECT_TRUE(missing->currentEditableNumber()->isBlank());
  EXPECT_EQ(missing->uuid().size(), 36u);

  const Record hostile[] = {
      {"QVRTallixExpression", [](auto& coder) { coder.encodeString("components", "2 + 3"); }},
      expressionRecord([](auto& list) {
        list.encodeObject(Record{"QVRTallixComponent",
                                 [](auto& coder) { coder.encodeString("tallixNumber", "7"); }});
      }),
      expressionRecord([](auto& list) {
        list.encodeObject(Record{"QVRTallixNumber",
                                 [](auto& coder) { coder.encodeString("decimalNumber", "x"); }});
      }),
      expressionRecord([](auto& list) {
        list.encodeObject(Record{"NSTask", [](auto&) {}});
      }),
  };
  for (const Record& record : hostile) EXPECT_FALSE(decoded(archived(record)));

  // A number makes a number component whatever "operation" says; without either: Percent.
  const auto components = decoded(archived(expressionRecord([](auto& list) {
    list.encodeObject(Record{"QVRTallixComponent", [](auto& coder) {
                               coder.encodeObject("tallixNumber", number("7"));
                               coder.encodeInteger("operation", 5);
                             }});
    list.encodeObject(Record{"QVRTallixComponent", [](auto&) {}});
  })));
  ASSERT_TRUE(components);
  EXPECT_EQ(names(*components), "number Percent ");
  EXPECT_EQ(components->components()[0].operation(), QVRTallixOperationNone);
}

TEST_F(QVRTallixExpressionArchive, CopiesHaveTheirOwnIdentityAndComponents) {
  QVRTallixExpression expression;
  KeyTyping::type(expression, "2*3");
  expression.setRadMode(true);
  expression.setDirty(false);
  const auto copy = expression.copy();
  EXPECT_FALSE(copy->isEqual(expression));
  EXPECT_TRUE(copy->radMode() && copy->isDirty());
  EXPECT_EQ(copy->stringDescription(), "2 × 3 = 6");
  EXPECT_NE(copy->currentEditableNumber(), expression.currentEditableNumber());
  EXPECT_EQ(expression.description(), expression.uuid() + ": 2 × 3 = 6");
  EXPECT_EQ(QVRTallixExpression::stringFromExpression(expression.components()), "2 × 3 ");
  EXPECT_EQ(QVRTallixExpression::stringFromExpression({}), "");
  EXPECT_TRUE(QVRTallixExpressionPasteboardType.ends_with(".tallix.expression"));
}

}  // namespace
