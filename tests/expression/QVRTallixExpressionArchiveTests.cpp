// Keyed archives of expressions and components that the model would not write: the older lists
// of plain elements, missing keys and hostile records.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "expression/QVRTallixExpression.h"
#include "support/TallixTest.h"

namespace {

// A record of any class written by a function: archives that the model would not write.
struct Record {
  std::string_view className;
  std::function<void(QVRKeyedArchiver&)> write;
  std::string_view archiveClassName() const { return className; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const { write(coder); }
};

std::unique_ptr<QVRTallixExpression> roundTrip(const Record& root) {
  return QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixExpression>(
             *QVRKeyedArchiver::archivedDataWithRootObject(root).value,
             QVRTallixExpression::archiveClassNames())
      .value;
}

// An expression record with the uuid "FIXED" and "components" from tokens: n2 a number, t4. a
// typed number, i7 an integer, d5.9 a real, b the flag true, s7 a text, a an array, c8 a
// component of an operation, x a record of a foreign class.
Record expressionRecord(std::string tokens) {
  return {"QVRTallixExpression", [tokens](QVRKeyedArchiver& coder) {
            coder.encodeString("uuid", "FIXED");
            coder.encodeArray("components", [&](QVRKeyedArchiver::ArrayEncoder& list) {
              std::istringstream stream(tokens);
              for (std::string token; stream >> token;) {
                const std::string rest = token.substr(1);
                if (token[0] == 'n')
                  list.encodeObject(QVRTallixNumber(QVRTallixDecimal::fromString(rest)));
                if (token[0] == 't') list.encodeObject(QVRTallixEditableNumber(rest));
                if (token[0] == 'i') list.encodeInteger(std::stoll(rest));
                if (token[0] == 'd') list.encodeDouble(std::stod(rest));
                if (token[0] == 'b') list.encodeBool(true);
                if (token[0] == 's') list.encodeString(rest);
                if (token[0] == 'a') list.encodeArray([](auto&) {});
                if (token[0] == 'c')
                  list.encodeObject(QVRTallixComponent(QVRTallixOperation(std::stoll(rest))));
                if (token[0] == 'x') list.encodeObject(Record{"NSTask", [](auto&) {}});
              }
            });
          }};
}

class QVRTallixExpressionArchive : public TallixTest {};

TEST_F(QVRTallixExpressionArchive, ListsOfPlainElementsBecomeComponentsOrAreRefused) {
  const struct {
    const char* tokens;
    const char* names;  // none: refused
    const char* line;
  } cases[] = {
      {"n2 i7 n3", "number Add number ", "2 + 3 = 5"},
      {"n2 d5.9 t4| b", "number Multiply number Negate ", "2 × 4 ± = -8"},
      {"i-1 i4294967299", "? CloseParenthesis ", ") = 0"},
      // A list that ends in a component is one of components: other elements are left out.
      {"i7 c8", "Equal ", " = 0"},
      {"", "", " = 0"},
      // Only number objects stand for operations.
      {"n2 s7", nullptr, nullptr},
      {"a", nullptr, nullptr},
      {"n2 x", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tokens);
    const auto expression = roundTrip(expressionRecord(c.tokens));
    ASSERT_EQ(expression != nullptr, c.names != nullptr);
    if (!expression) continue;
    std::string names;
    for (const QVRTallixComponent& component : expression->components()) {
      names += std::string(component.name().value_or("?")) + " ";
    }
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(expression->stringDescription(), c.line);
    EXPECT_EQ(expression->uuid(), "FIXED");
    EXPECT_FALSE(expression->radMode() || expression->isDirty());
  }
}

TEST_F(QVRTallixExpressionArchive, MissingKeysHaveDefaultsAndBrokenComponentsAreRefused) {
  const auto missing = roundTrip(Record{"QVRTallixExpression", [](auto&) {}});
  ASSERT_TRUE(missing);
  EXPECT_TRUE(missing->isDirty());
  ASSERT_EQ(missing->components().size(), 1u);
  EXPECT_TRUE(missing->currentEditableNumber()->isBlank());
  EXPECT_EQ(missing->uuid().size(), 36u);

  const auto component = [](std::function<void(QVRKeyedArchiver&)> write) {
    return Record{"QVRTallixExpression", [write](QVRKeyedArchiver& coder) {
                    coder.encodeArray("components", [&](auto& list) {
                      list.encodeObject(Record{"QVRTallixComponent", write});
                    });
                  }};
  };
  EXPECT_FALSE(roundTrip(Record{"QVRTallixExpression",
                                [](auto& coder) { coder.encodeString("components", "2 + 3"); }}));
  // The platform's archives may hold NUL in text; no archive can hold it again.
  QVRKeyedArchiver archiver;
  archiver.encodeObject("root", Record{"QVRTallixExpression", [](auto&) {}});
  QVRPropertyList withNul = archiver.archivedPropertyList();
  withNul.dictionary()->at("$objects").array()->push_back(std::string("A\0B", 3));
  (*withNul.dictionary()->at("$objects").array())[1].dictionary()->emplace(
      "uuid", QVRPropertyList::UID{withNul.find("$objects")->array()->size() - 1});
  EXPECT_FALSE(
      QVRKeyedUnarchiver::withPropertyList(withNul, QVRTallixExpression::archiveClassNames())
          .decodeRootObjectOfClass<QVRTallixExpression>()
          .value);
  EXPECT_FALSE(roundTrip(component([](auto& coder) { coder.encodeString("tallixNumber", "7"); })));
  EXPECT_FALSE(roundTrip(component([](auto& coder) {
    coder.encodeObject("tallixNumber", Record{"QVRTallixNumber", [](auto& c) {
                                                c.encodeString("decimalNumber", "x");
                                              }});
  })));
  // A number makes a number component whatever "operation" says; without either: Percent.
  const auto both = roundTrip(component([](auto& coder) {
    coder.encodeObject("tallixNumber", QVRTallixNumber(QVRTallixDecimal(7)));
    coder.encodeInteger("operation", 5);
  }));
  ASSERT_TRUE(both);
  EXPECT_EQ(both->components()[0].name(), "number");
  EXPECT_EQ(roundTrip(component([](auto&) {}))->components()[0].name(), "Percent");
}

}  // namespace
