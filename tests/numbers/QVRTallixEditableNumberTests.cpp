#include <gtest/gtest.h>

#include <string>

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
    {"1..2", "1|2", 3, "1.2", "1.2"},
    // Fifteen digits in all, on both sides of the separator; what is refused posts nothing.
    {"1234567890123456", "123456789012345", 15, "123456789012345", "123456789012345"},
    {"1234567.89012345678", "1234567|89012345", 16, "1234567.89012345", "1234567.89012345"},
    {".00000000000001", "0|00000000000001", 15, "0.00000000000001", "0.00000000000001"},
    // Deleting: one character, and a negative one-digit number, are not shortened.
    {"-7<", "-7", 2, "-7", "-7"},
    {"<", "", 0, "0", "0"},
    {"-.<", "-", 3, "-0", "0"},
    {"0.5<", "0|", 4, "0.", "0"},
    // The sign toggles, blank numbers included; clear always posts.
    {"-", "-", 1, "-0", "0"},
    {"-.-", "0|", 3, "0.", "0"},
    {"12C", "", 3, "0", "0"},
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

// Made from a number in any locale, the text holds the value with the internal separator (the
// recorded outputs show the locales' own separators).
TEST_F(QVRTallixEditableNumberTests, MadeFromANumberTheTextHoldsTheInternalSeparator) {
  ScopedEnvironment german("de_DE");
  EXPECT_EQ(QVRTallixEditableNumber(QVRTallixDecimal::fromString("-12.5")).string(), "-12|5");
  EXPECT_EQ(QVRTallixEditableNumber(QVRTallixDecimal::fromString("1e20")).string(),
            "100000000000000000000");
  EXPECT_EQ(QVRTallixEditableNumber(std::nullopt).string(), "0");
}

}  // namespace
