// Components, the operation table's classes, and the key types' characters, operations and
// labels.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "expression/QVRTallixExpression.h"
#include "support/ScopedEnvironment.h"
#include "support/TallixTest.h"

namespace {

class QVRTallixComponentTest : public TallixTest {};

QVRTallixComponent typed(const char* text) {
  return QVRTallixComponent(QVRTallixAnyNumber(std::make_unique<QVRTallixEditableNumber>(text)));
}

QVRTallixComponent plain(const char* text) {
  return QVRTallixComponent::componentWithTallixNumber(
      QVRTallixNumber(QVRTallixDecimal::fromString(text)));
}

TEST_F(QVRTallixComponentTest, TheClassesOfEveryOperationValue) {
  // The classes in words: functions are postfix, the hyperbolic ones are not trigonometric.
  const std::set<std::uint64_t> functions = {0,  1,  9,  10, 11, 12, 15, 16, 17, 18, 19, 22, 24, 25,
                                             26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38};
  const std::set<std::uint64_t> exponents = {13, 14, 20, 21, 23, 39};
  for (std::uint64_t value = 0; value <= 41; ++value) {
    SCOPED_TRACE(value);
    const QVRTallixComponent c(static_cast<QVRTallixOperation>(value));
    const bool function = functions.count(value) > 0;
    const bool exponent = exponents.count(value) > 0;
    const bool multiplyDivide = value == 4 || value == 5;
    const bool addSubtract = value == 6 || value == 7;
    EXPECT_EQ(c.isFunctionOperation(), function);
    EXPECT_EQ(c.isExponentsOperation(), exponent);
    EXPECT_EQ(c.isMultiplyDivideOperation(), multiplyDivide);
    EXPECT_EQ(c.isAddSubtractOperation(), addSubtract);
    EXPECT_EQ(c.isParenthesisOperation(), value == 2 || value == 3);
    EXPECT_EQ(c.isTrignometricOperation(), value >= 27 && value <= 32);
    EXPECT_EQ(c.isDoubleArgumentOperation(), exponent || multiplyDivide || addSubtract);
    EXPECT_EQ(c.order(), function         ? 4u
                         : exponent       ? 3u
                         : multiplyDivide ? 2u
                         : addSubtract    ? 1u
                                          : 0u);
    EXPECT_EQ(c.name().has_value(), value < 40);
    EXPECT_EQ(c.accessibilityLabel().has_value(), value < 40);
  }
  EXPECT_EQ(QVRTallixComponent(QVRTallixOperationXRTY).editString(), "ˣ√y");
  EXPECT_EQ(QVRTallixComponent(QVRTallixOperationYRTX).editString(), "ʸ√x");
  EXPECT_EQ(QVRTallixComponent(QVRTallixOperationXRTY).accessibilityLabel(), "root");
  EXPECT_EQ(QVRTallixComponent(static_cast<QVRTallixOperation>(40)).description(), "(null)");
  const QVRTallixComponent none = QVRTallixComponent::componentWithTallixNumber(std::nullopt);
  EXPECT_TRUE(none.isOperation() && none.operation() == QVRTallixOperationNone);
  EXPECT_EQ(none.name(), "none");
  EXPECT_EQ(none.editString(), "");
  EXPECT_EQ(none.accessibilityLabel(), "none");
}

TEST_F(QVRTallixComponentTest, NumberComponentsShowTheirNumbersAndCompareOneWay) {
  const QVRTallixComponent number = typed("-12|");
  EXPECT_EQ(number.operation(), QVRTallixOperationNone);
  EXPECT_EQ(number.name(), "number");
  EXPECT_FALSE(number.isFunctionOperation() || number.isDoubleArgumentOperation());
  EXPECT_EQ(number.editString(), "-12.");
  EXPECT_EQ(number.accessibilityLabel(), "-12");
  // A plain number finds a typed one of its value equal, never the other way round.
  EXPECT_TRUE(plain("5").isEqual(typed("5")));
  EXPECT_FALSE(typed("5").isEqual(plain("5")));
  EXPECT_FALSE(typed("5").isEqual(typed("5|")));
  EXPECT_TRUE(QVRTallixComponent::componentWithTallixNumber(std::nullopt)
                  .isEqual(QVRTallixComponent(QVRTallixOperationNone)));
  EXPECT_FALSE(plain("5").isEqual(QVRTallixComponent(QVRTallixOperationNone)));
  EXPECT_TRUE(plain("0").isEqual(QVRTallixComponent::componentWithTallixNumber(QVRTallixNumber())));
  const QVRTallixComponent copy = number.copy();
  EXPECT_TRUE(copy.isEqual(number));
  EXPECT_NE(copy.editableNumber(), number.editableNumber());
}

TEST_F(QVRTallixComponentTest, TypedCharactersGiveTheirKeys) {
  const struct {
    const char* locale;
    const char* text;
    std::uint64_t key;
  } cases[] = {
      {"en_US", "7", 7},     {"en_US", "71", 7},
      {"en_US", "x7", 61},   {"en_US", "", 61},
      {"en_US", "\x7f", 10}, {"en_US", "c", 11},
      {"en_US", "\r", 12},   {"en_US", "\xef\x9c\xb9", 12},
      {"en_US", ".", 13},    {"en_US", ",", 13},
      {"en_US", "±", 15},    {"en_US", "]", 17},
      {"en_US", "@", 28},    {"en_US", "#", 29},
      {"en_US", "√", 35},    {"en_US", "E", 39},
      {"en_US", "e", 44},    {"en_US", "×", 61},
      {"en_US", "٫", 61},    {"en_US", "\xff", 61},
      {"en_US", "𝟙", 61},    {"en_US", "\xe2\x88", 61},
      {"ar_EG", "٫", 13},    {"ar_EG", "٫5", 61},
      {"ar_EG", ".", 13},    {"de_DE", ",", 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.locale) + " " + c.text);
    ScopedEnvironment scoped(c.locale);
    EXPECT_EQ(QVRTallixExpression::keyTypeFromString(c.text), c.key);
  }
}

TEST_F(QVRTallixComponentTest, KeysEnterTheirOperationsAndSayTheirLabels) {
  EXPECT_EQ(QVRTallixExpression::operationFromKeyType(QVRTallixKeyTypeXthRootOfY),
            QVRTallixOperationXRTY);
  EXPECT_EQ(QVRTallixExpression::operationFromKeyType(QVRTallixKeyTypeYthRootOfX),
            QVRTallixOperationYRTX);
  EXPECT_EQ(QVRTallixExpression::operationFromKeyType(static_cast<QVRTallixKeyType>(500)),
            QVRTallixOperationNone);
  int operations = 0;
  for (std::uint64_t key = 0; key < 62; ++key) {
    const QVRTallixOperation operation =
        QVRTallixExpression::operationFromKeyType(static_cast<QVRTallixKeyType>(key));
    if (operation == QVRTallixOperationNone) continue;
    ++operations;
    // Keys without a label of their own say their operation's.
    EXPECT_EQ(
        QVRTallixExpression::accessibilityLabelFromKeyType(static_cast<QVRTallixKeyType>(key)),
        QVRTallixComponent(operation).accessibilityLabel());
  }
  EXPECT_EQ(operations, 39);
  const std::pair<QVRTallixKeyType, const char*> labels[] = {
      {QVRTallixKeyTypeNone, "none"},
      {QVRTallixKeyTypeDigit3, "3"},
      {QVRTallixKeyTypeSignChange, "plus, minus"},
      {QVRTallixKeyTypeDelete, "delete"},
      {QVRTallixKeyTypePi, "Pi"},
      {QVRTallixKeyTypeEulersNumber, "Euler’s Number"},
      {QVRTallixKeyTypeAngleModeDegrees, "degrees"},
      {QVRTallixKeyTypeRandom, "random"}};
  for (const auto& [key, label] : labels) {
    EXPECT_EQ(QVRTallixExpression::accessibilityLabelFromKeyType(key), label);
  }
  ScopedEnvironment german("de_DE");
  EXPECT_EQ(QVRTallixExpression::accessibilityLabelFromKeyType(QVRTallixKeyTypeAngleModeDegrees),
            "Grad");
  EXPECT_EQ(QVRTallixExpression::accessibilityLabelFromKeyType(QVRTallixKeyTypeEulersNumber),
            "Eulersche Zahl");
  EXPECT_EQ(QVRTallixComponent(QVRTallixOperationSIN).accessibilityLabel(), "Sinus");
}

}  // namespace
