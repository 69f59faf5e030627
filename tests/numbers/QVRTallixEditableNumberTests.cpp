#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "numbers/QVRTallixAnyNumber.h"
#include "numbers/QVRTallixEditableNumber.h"
#include "support/NotificationRecorder.h"
#include "support/ScopedEnvironment.h"
#include "support/TallixTest.h"

namespace {

class QVRTallixEditableNumberTests : public TallixTest {};

// Types `keys` into `editable`: digits, "." the separator, "-" the sign, "<" delete, "C" clear.
void type(QVRTallixEditableNumber& editable, std::string_view keys) {
  for (char key : keys) {
    switch (key) {
      case '.':
        editable.addSeparator();
        break;
      case '-':
        editable.addNegation();
        break;
      case '<':
        editable.deleteDigit();
        break;
      case 'C':
        editable.clear();
        break;
      default:
        editable.addDigit(static_cast<std::uint64_t>(key - '0'));
    }
  }
}

// Key sequences from an empty number: the text, how many changes were announced, the text shown
// in en_US and the value.
struct TypingCase {
  const char* keys;
  const char* string;
  std::size_t notifications;
  const char* editString;
  const char* value;
};

const TypingCase typingCases[] = {
    // A lone zero is replaced, and the replacement is a change.
    {"005", "5", 3, "5", "5"},
    {"-05", "-5", 3, "-5", "-5"},
    {"0", "0", 1, "0", "0"},
    {"50", "50", 2, "50", "50"},
    // The separator first supplies the zero, which counts as a digit.
    {".", "0|", 1, "0.", "0"},
    {".5", "0|5", 2, "0.5", "0.5"},
    {"-.", "-0|", 2, "-0.", "0"},
    {"-.5", "-0|5", 3, "-0.5", "-0.5"},
    {"12.", "12|", 3, "12.", "12"},
    {"1..2", "1|2", 3, "1.2", "1.2"},
    // Fifteen digits in all, on both sides of the separator; what is refused posts nothing.
    {"1234567890123456", "123456789012345", 15, "123456789012345", "123456789012345"},
    {"1234567.89012345678", "1234567|89012345", 16, "1234567.89012345", "1234567.89012345"},
    {"-123456789012345678", "-123456789012345", 16, "-123456789012345", "-123456789012345"},
    {".12345678901234567", "0|12345678901234", 15, "0.12345678901234", "0.12345678901234"},
    {"123456789012345.", "123456789012345", 15, "123456789012345", "123456789012345"},
    {".00000000000001", "0|00000000000001", 15, "0.00000000000001", "0.00000000000001"},
    // Deleting: one character, and a negative one-digit number, are not shortened.
    {"-7<", "-7", 2, "-7", "-7"},
    {"-75<", "-7", 4, "-7", "-7"},
    {"7<", "7", 1, "7", "7"},
    {"<", "", 0, "0", "0"},
    {".<", "", 2, "0", "0"},
    {"-.<", "-", 3, "-0", "0"},
    {"1.<", "1", 3, "1", "1"},
    {"10<", "1", 3, "1", "1"},
    {"0.5<", "0|", 4, "0.", "0"},
    // The sign toggles, blank numbers included; clear always posts.
    {"-", "-", 1, "-0", "0"},
    {"--", "", 2, "0", "0"},
    {"-.-", "0|", 3, "0.", "0"},
    {"12-", "-12", 3, "-12", "-12"},
    {"12--", "12", 4, "12", "12"},
    {"12C", "", 3, "0", "0"},
    {"CC", "", 2, "0", "0"},
    {"12C5", "5", 4, "5", "5"},
};

TEST_F(QVRTallixEditableNumberTests, KeySequencesGiveTheirTextAndAnnounceEachChangeOnce) {
  for (const TypingCase& row : typingCases) {
    SCOPED_TRACE(row.keys);
    QVRTallixEditableNumber editable;
    NotificationRecorder changes(environment().notificationCenter(),
                                 std::string(QVRTallixEditableNumberDidChange), &editable);
    type(editable, row.keys);
    EXPECT_EQ(editable.string(), row.string);
    EXPECT_EQ(changes.count(), row.notifications);
    EXPECT_EQ(editable.editString(), row.editString);
    EXPECT_EQ(editable.decimalNumber().description(), row.value);
    for (const auto& record : changes.records()) {
      EXPECT_EQ(record.object, &editable);
      EXPECT_FALSE(record.hasUserInfo);
    }
  }
}

TEST_F(QVRTallixEditableNumberTests, DigitsOutsideZeroToNineChangeNothing) {
  QVRTallixEditableNumber editable("4");
  NotificationRecorder changes(environment().notificationCenter(),
                               std::string(QVRTallixEditableNumberDidChange));
  editable.addDigit(10);
  editable.addDigit(~std::uint64_t{0});
  EXPECT_EQ(editable.string(), "4");
  EXPECT_EQ(changes.count(), 0u);
}

TEST_F(QVRTallixEditableNumberTests, DerivedStateReadsTheText) {
  const struct {
    const char* string;
    bool negative, blank, canAddSeparator, canDeleteDigit;
    long digits;
  } rows[] = {
      {"", false, true, true, false, 0},
      {"-", true, true, true, false, 0},
      {"0|", false, true, false, true, 1},
      {"-0|", true, true, false, true, 1},
      {"0", false, false, true, false, 1},
      {"-0", true, false, true, false, 1},
      {"0|0", false, false, false, true, 2},
      {"-7", true, false, true, false, 1},
      {"-75", true, false, true, true, 2},
      {"-12|5", true, false, false, true, 3},
      {"12345678901234", false, false, true, true, 14},
      {"123456789012345", false, false, false, true, 15},
      {"5-", false, false, true, true, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.string);
    const QVRTallixEditableNumber editable(row.string);
    EXPECT_EQ(editable.isNegative(), row.negative);
    EXPECT_EQ(editable.isBlank(), row.blank);
    EXPECT_EQ(editable.canAddSeparator(), row.canAddSeparator);
    EXPECT_EQ(editable.canDeleteDigit(), row.canDeleteDigit);
    EXPECT_EQ(editable.numberOfDigits(), row.digits);
    EXPECT_TRUE(editable.canEdit());
    EXPECT_FALSE(editable.canAddDigit());
  }
}

TEST_F(QVRTallixEditableNumberTests, TheLocalesSeparatorIsShownButNeverStored) {
  const struct {
    const char* locale;
    const char* keys;
    const char* editString;
  } rows[] = {
      {"de_DE", "12.5", "12,5"}, {"de_DE", "12.", "12,"},   {"de_DE", ".", "0,"},
      {"de_DE", "-.", "-0,"},    {"ar_EG", "12.5", "12٫5"}, {"fr_CH", "-1234.5", "-1234,5"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.locale) + " " + row.keys);
    ScopedEnvironment scoped(row.locale);
    QVRTallixEditableNumber editable;
    type(editable, row.keys);
    EXPECT_EQ(editable.editString(), row.editString);
    EXPECT_EQ(editable.string().find_first_of(".,"), std::string::npos);
  }
  ScopedEnvironment german("de_DE");
  QVRTallixEditableNumber editable;
  type(editable, "12.5");
  EXPECT_EQ(editable.decimalNumber().description(), "12.5");
  // The value takes part in arithmetic and formatting as a plain number.
  EXPECT_EQ(editable.number().add(QVRTallixNumber(QVRTallixDecimal(1))).formattedString(), "13,5");
  EXPECT_EQ(editable.formattedString(), "12,5");
}

TEST_F(QVRTallixEditableNumberTests, ATextFromElsewhereHasAValueOrNotANumber) {
  EXPECT_TRUE(QVRTallixEditableNumber("abc").decimalNumber().isNaN());
  EXPECT_TRUE(QVRTallixEditableNumber("1|2|3").decimalNumber().isNaN());
  EXPECT_EQ(QVRTallixEditableNumber("007").decimalNumber().description(), "7");
}

TEST_F(QVRTallixEditableNumberTests, MadeFromANumberTheTextHoldsTheValueWithTheInternalSeparator) {
  ScopedEnvironment german("de_DE");
  const struct {
    std::optional<QVRTallixDecimal> value;
    const char* string;
  } rows[] = {
      {QVRTallixDecimal::fromString("-12.5"), "-12|5"},
      {std::nullopt, "0"},
      {QVRTallixDecimal::fromString("1e20"), "100000000000000000000"},
      {QVRTallixDecimal::fromString("0.001"), "0|001"},
  };
  for (const auto& row : rows) {
    const QVRTallixEditableNumber editable(row.value);
    EXPECT_EQ(editable.string(), row.string);
    EXPECT_EQ(editable.decimalNumber(), row.value.value_or(QVRTallixDecimal::zero()));
  }
}

TEST_F(QVRTallixEditableNumberTests, CopiesAreIndependentAndDescriptionsShowTheText) {
  QVRTallixEditableNumber original;
  type(original, "3.1");
  const std::unique_ptr<QVRTallixEditableNumber> copy = original.copy();
  EXPECT_EQ(original.description(), "QVRTallixEditableNumber(3|1)");
  EXPECT_EQ(QVRTallixEditableNumber().description(), "QVRTallixEditableNumber()");
  type(original, "7");
  EXPECT_EQ(copy->string(), "3|1");
  EXPECT_TRUE(copy->isEqual(QVRTallixEditableNumber("3|1")));
}

// The one-way equality between plain and editable numbers.
QVRTallixAnyNumber plain(const char* text) {
  return QVRTallixAnyNumber(QVRTallixNumber(QVRTallixDecimal::fromString(text)));
}

QVRTallixAnyNumber editable(const char* text) {
  return QVRTallixAnyNumber(std::make_unique<QVRTallixEditableNumber>(text));
}

TEST_F(QVRTallixEditableNumberTests, PlainEqualsEditableOfTheSameValueButNeverTheOtherWayRound) {
  const struct {
    QVRTallixAnyNumber receiver;
    QVRTallixAnyNumber other;
    bool equal;
  } rows[] = {
      {plain("5"), editable("5"), true},
      {editable("5"), plain("5"), false},
      {plain("5"), editable("5|"), true},
      {editable("5"), editable("5|"), false},
      {editable("5|"), editable("5|"), true},
      {editable("-12|5"), editable("-12|50"), false},
      {plain("0"), editable(""), true},
      {QVRTallixAnyNumber(QVRTallixNumber()), editable(""), false},
      {plain("5"), plain("5.0"), true},
      {plain("5"), plain("6"), false},
      {editable(""), plain("0"), false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.receiver.description() + " isEqual " + row.other.description());
    EXPECT_EQ(row.receiver.isEqual(row.other), row.equal);
  }
}

TEST_F(QVRTallixEditableNumberTests, AHolderEditsItsNumberInPlaceAndCopiesByKind) {
  QVRTallixAnyNumber held(std::make_unique<QVRTallixEditableNumber>());
  QVRTallixEditableNumber* address = held.editableNumber();
  NotificationRecorder changes(environment().notificationCenter(),
                               std::string(QVRTallixEditableNumberDidChange), address);
  // Moving the holder keeps the number where it is, so observers keep seeing it.
  QVRTallixAnyNumber moved = std::move(held);
  ASSERT_EQ(moved.editableNumber(), address);
  type(*moved.editableNumber(), "4.2");
  EXPECT_EQ(changes.count(), 3u);
  EXPECT_EQ(moved.editString(), "4.2");
  EXPECT_EQ(moved.number().multiply(QVRTallixNumber(QVRTallixDecimal(10))).formattedString(), "42");

  const QVRTallixAnyNumber copy = moved.copy();
  ASSERT_TRUE(copy.canEdit());
  EXPECT_NE(copy.editableNumber(), address);
  type(*moved.editableNumber(), "5");
  EXPECT_EQ(copy.description(), "QVRTallixEditableNumber(4|2)");

  const QVRTallixAnyNumber none(QVRTallixNumber{});
  EXPECT_FALSE(none.canEdit());
  EXPECT_EQ(none.copy().description(), "QVRTallixNumber(0)");
  EXPECT_FALSE(QVRTallixAnyNumber(std::unique_ptr<QVRTallixEditableNumber>()).canEdit());
}

}  // namespace
