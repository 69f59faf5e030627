// Keyed archives of expressions that the model would not write: the older lists of plain
// elements, missing keys and hostile records.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "expression/QVRTallixExpression.h"
#include "support/TallixTest.h"

namespace {

// A record of any class written by a function.
struct Record {
  std::string_view className;
  std::function<void(QVRKeyedArchiver&)> write;
  std::string_view archiveClassName() const { return className; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const { write(coder); }
};

// Decoded from the archive's property list, which may hold what no archive file can (NUL).
std::unique_ptr<QVRTallixExpression> decoded(const Record& root) {
  QVRKeyedArchiver archiver;
  archiver.encodeObject(QVRKeyedArchiver::rootKey, root);
  return QVRKeyedUnarchiver::withPropertyList(archiver.archivedPropertyList(),
                                              QVRTallixExpression::archiveClassNames())
      .decodeRootObjectOfClass<QVRTallixExpression>()
      .value;
}

// An expression record with the uuid `uuid` and "components" from tokens: n2 a number, t4| a
// typed number, i7 an integer, d5.9 a real, b the flag true, s7 a text, c8 a
// component of an operation, x a record of a foreign class; components with "tallixNumber" a
// text (Ks) or a broken number (Kx), with a number and "operation" 5 (Kb), or empty (K).
Record expression(std::string tokens, std::string uuid = "FIXED") {
  return {"QVRTallixExpression", [tokens, uuid](QVRKeyedArchiver& coder) {
            coder.encodeString("uuid", uuid);
            coder.encodeArray("components", [&](QVRKeyedArchiver::ArrayEncoder& list) {
              std::istringstream stream(tokens);
              for (std::string token; stream >> token;) {
                const std::string rest = token.substr(1);
                const char kind = token[0];
                if (kind == 'n')
                  list.encodeObject(QVRTallixNumber(QVRTallixDecimal::fromString(rest)));
                if (kind == 't') list.encodeObject(QVRTallixEditableNumber(rest));
                if (kind == 'i') list.encodeInteger(std::stoll(rest));
                if (kind == 'd') list.encodeDouble(std::stod(rest));
                if (kind == 'b') list.encodeBool(true);
                if (kind == 's') list.encodeString(rest);
                if (kind == 'c')
                  list.encodeObject(QVRTallixComponent(QVRTallixOperation(std::stoll(rest))));
                if (kind == 'x') list.encodeObject(Record{"NSTask", [](auto&) {}});
                if (kind != 'K') continue;
                list.encodeObject(
                    Record{"QVRTallixComponent", [rest](QVRKeyedArchiver& component) {
                             if (rest == "s") component.encodeString("tallixNumber", "7");
                             if (rest == "x") {
                               component.encodeObject("tallixNumber",
                                                      Record{"QVRTallixNumber", [](auto& c) {
                                                               c.encodeString("decimalNumber", "x");
                                                             }});
                             }
                             if (rest == "b")
                               component.encodeObject("tallixNumber",
                                                      QVRTallixNumber(QVRTallixDecimal(7)));
                             if (rest == "b") component.encodeInteger("operation", 5);
                           }});
              }
            });
          }};
}

class QVRTallixExpressionArchive : public TallixTest {};

TEST_F(QVRTallixExpressionArchive, PlainElementsBecomeComponentsAndBrokenRecordsAreRefused) {
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
      // A number makes a number component whatever "operation" says; no keys make Percent.
      {"Kb K", "number Percent ", "7 % = 0.07"},
      // Only number objects stand for operations, and only numbers are components' numbers.
      {"n2 s7", nullptr, nullptr},
      {"n2 x", nullptr, nullptr},
      {"Ks", nullptr, nullptr},
      {"Kx", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tokens);
    const auto read = decoded(expression(c.tokens));
    ASSERT_EQ(read != nullptr, c.names != nullptr);
    if (!read) continue;
    std::string names;
    for (const QVRTallixComponent& component : read->components()) {
      names += std::string(component.name().value_or("?")) + " ";
    }
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(read->stringDescription(), c.line);
    EXPECT_EQ(read->uuid(), "FIXED");
    EXPECT_FALSE(read->radMode() || read->isDirty());
  }
  // An identifier that no archive could hold again.
  EXPECT_FALSE(decoded(expression("n2", std::string("A\0B", 3))));
  EXPECT_FALSE(decoded(Record{"QVRTallixExpression",
                              [](auto& coder) { coder.encodeString("components", "2 + 3"); }}));
}

TEST_F(QVRTallixExpressionArchive, MissingKeysGiveABlankTypedNumberANewIdentifierAndDegrees) {
  const auto missing = decoded(Record{"QVRTallixExpression", [](auto&) {}});
  ASSERT_TRUE(missing);
  EXPECT_TRUE(missing->isDirty() && !missing->radMode());
  ASSERT_EQ(missing->components().size(), 1u);
  EXPECT_TRUE(missing->currentEditableNumber()->isBlank());
  EXPECT_EQ(missing->uuid().size(), 36u);
}

}  // namespace
