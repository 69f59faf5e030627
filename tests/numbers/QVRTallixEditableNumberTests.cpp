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
    // The separator first supplies the zero, which counts as a digit.
    {".", "0|", 1, "0.", "0"},
    {".5", "0|5", 2, "0.5", "0.5"},
    {"-.5", "-0|5", 3, "-0.5", "-0.5"},
    {"1..2", "1|2", 3, "1.2", "1.2"},
    // Fifteen digits in all, on both sides of the separator; what is refused posts nothing.
    {"1234567890123456", "123456789012345", 15, "123456789012345", "123456789012345"},
    {"1234567.89012345678", "1234567|89012345", 16, "1234567.89012345", "1234567.89012345"},
    {".12345678901234567", "0|12345678901234", 15, "0.12345678901234", "0.12345678901234"},
    {".00000000000001", "0|00000000000001", 15, "0.00000000000001", "0.00000000000001"},
    // Deleting: one character, and a negative one-digit number, are not shortened.
    {"-7<", "-7", 2, "-7", "-7"},
    {"<", "", 0, "0", "0"},
    {"-.<", "-", 3, "-0", "0"},
    {"10<", "1", 3, "1", "1"},
    {"0.5<", "0|", 4, "0.", "0"},
    // The sign toggles, blank numbers included; clear always posts.
    {"-", "-", 1, "-0", "0"},
    {"--", "", 2, "0", "0"},
    {"-.-", "0|", 3, "0.", "0"},
    {"12-", "-12", 3, "-12", "-12"},
    {"12C", "", 3, "0", "0"},
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
  EXPECT_TRUE(QVRTallixEditableNumber("1|2|3").decimalNumber().isNaN());
  EXPECT_TRUE(QVRTallixEditableNumber("abc").decimalNumber().isNaN());
}

TEST_F(QVRTallixEditableNumberTests, DerivedStateReadsTheText) {
  // clang-format off
  const struct { const char* string; bool negative, blank, canAddSeparator, canDeleteDigit; long digits; } rows[] = {
      {"", false, true, true, false, 0},
      {"-", true, true, true, false, 0},
      {"0|", false, true, false, true, 1},
      {"0", false, false, true, false, 1},
      {"-75", true, false, true, true, 2},
      {"-12|5", true, false, false, true, 3},
      {"12345678901234", false, false, true, true, 14},
      {"123456789012345", false, false, false, true, 15},
      {"5-", false, false, true, true, 2},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.string);
    const QVRTallixEditableNumber editable(row.string);
    EXPECT_EQ(editable.isNegative(), row.negative);
    EXPECT_EQ(editable.isBlank(), row.blank);
    EXPECT_EQ(editable.canAddSeparator(), row.canAddSeparator);
    EXPECT_EQ(editable.canDeleteDigit(), row.canDeleteDigit);
    EXPECT_EQ(editable.numberOfDigits(), row.digits);
  }
}

TEST_F(QVRTallixEditableNumberTests, TheLocalesSeparatorIsShownButNeverStored) {
  // clang-format off
  const struct { const char* locale; const char* keys; const char* editString; } rows[] = {
      {"de_DE", "-.", "-0,"},
      {"ar_EG", "12.5", "12٫5"},
      {"fr_CH", "-1234.5", "-1234,5"},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.locale) + " " + row.keys);
    ScopedEnvironment scoped(row.locale);
    QVRTallixEditableNumber editable;
    type(editable, row.keys);
    EXPECT_EQ(editable.editString(), row.editString);
    EXPECT_EQ(editable.string().find_first_of(".,"), std::string::npos);
  }
  // Made from a number, the text holds the value with the internal separator.
  ScopedEnvironment german("de_DE");
  EXPECT_EQ(QVRTallixEditableNumber(QVRTallixDecimal::fromString("-12.5")).string(), "-12|5");
  EXPECT_EQ(QVRTallixEditableNumber(QVRTallixDecimal::fromString("1e20")).string(),
            "100000000000000000000");
  EXPECT_EQ(QVRTallixEditableNumber(std::nullopt).string(), "0");
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
  EXPECT_EQ(moved.number().multiply(QVRTallixNumber(QVRTallixDecimal(10))).formattedString(), "42");

  const QVRTallixAnyNumber copy = moved.copy();
  ASSERT_TRUE(copy.canEdit());
  EXPECT_NE(copy.editableNumber(), address);
  type(*moved.editableNumber(), "5");
  EXPECT_EQ(copy.description(), "QVRTallixEditableNumber(4|2)");

  EXPECT_FALSE(QVRTallixAnyNumber(std::unique_ptr<QVRTallixEditableNumber>()).canEdit());
}

}  // namespace
