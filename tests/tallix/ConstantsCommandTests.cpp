// tallix constants and constants typed into calculations: a session of commands against one
// environment, what it leaves on disk, and the messages for what cannot be done.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "constants/QVRTallixConstantNumbersDocument.h"
#include "support/TallixCommandRun.h"
#include "support/TallixTest.h"

namespace {

using tallix::detail::QVRTallixConstantNumbersDocument;

// The exit status, then the output with the table's blanks squeezed, then the error text.
std::string answerOf(std::vector<std::string> arguments, std::vector<std::string> input = {}) {
  const TallixOutcome run = tallixRun(arguments, std::move(input));
  std::string answer = std::to_string(run.status) + " ";
  for (const char c : run.output) {
    if (c != ' ' || answer.back() != ' ') answer += c;
  }
  return answer + run.error;
}

using ConstantsCommandTests = TallixTest;

TEST_F(ConstantsCommandTests, ASessionOfEditsListsTypesAndSavesTheConstants) {
  // Typing without braces never opens the user's constants.
  answerOf({"eval", "pi*2"});
  EXPECT_FALSE(environment().existingSharedInstance<QVRTallixConstantNumbersDocument>());
  const std::string prefix = "tallix constants: ";
  // clang-format off
  const struct { std::vector<std::string> arguments; std::string answer; } steps[] = {
    // A part of the answer: status, output, error.
    {{"constants", "add", "g", "9.81"}, "0 added g = 9.81\n"},
    {{"constants", "add", "Neg", "-2.5"}, "0 added Neg = -2.5\n"},
    {{"eval", "{g} * 2", "{ Neg }+{Pi}-{speed of light}", "{G}"},
     "0 9.81 × 2 = 19.62\n-2.5 + 3.14159265359 − 299,792,458 = -299,792,457.358\n9.81 = 9.81\n"},
    {{"eval", "{nope}+1", "{g"}, "2 tallix eval: unknown constant 'nope' (see 'tallix constants') in '{nope}+1'\n"
                                 "tallix eval: missing '}' after '{g' in '{g'\n"},
    {{"constants", "add", "G", "1"}, "1 " + prefix + "the title 'G' is taken by the constant 'g'"},
    {{"constants", "add", "x{", "1"}, "1 " + prefix + "a title cannot hold braces"},
    {{"constants", "add", "h", "1.5.5"}, "1 " + prefix + "'1.5.5' is not a number in the locale en_US"},
    {{"constants", "rename", "g", "gravity"}, "0 renamed g to gravity\n"},
    {{"constants", "hide", "Pi"}, "0 hidden Pi\n"},
    {{"constants"}, "\n12 9.81 gravity yours\n"},
    {{"constants", "hide", "gravity"}, "1 " + prefix + "'gravity' is one of your constants"},
    {{"constants", "remove", "Pi"}, "1 " + prefix + "'Pi' is a built-in constant, which cannot be removed"},
    {{"constants", "remove", "999"}, "1 " + prefix + "no constant number 999 (the constants are numbered 1 to 28"},
    {{"constants", "--all"}, "\n17 3.14159265359 Pi built-in, hidden\n"},
    {{"constants", "show", "pi"}, "0 shown Pi\n"},
    {{"constants", "remove", "neg"}, "0 removed Neg\n"},
    {{"constants", "frobnicate"}, "2 " + prefix + "unknown subcommand 'frobnicate'\nusage:"},
  };
  // clang-format on
  for (const auto& step : steps) {
    SCOPED_TRACE(step.arguments.back());
    const std::string answer = answerOf(step.arguments);
    EXPECT_NE(answer.find(step.answer), std::string::npos) << answer;
  }

  // Each change was written before its command returned: another start reads it; a uuid, in
  // any case, names a constant too.
  QVRTallixConstantNumbersDocument reread("Main.customConstants", nullptr);
  ASSERT_EQ(reread.constantCount(), 1u);
  std::string uuid = reread.constantAtIndex(0)->uuid();
  for (char& c : uuid) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(answerOf({"constants", "remove", uuid}), "0 removed gravity\n");
}

TEST_F(ConstantsCommandTests, AmbiguousTitlesAskForANumberAndLineModeGoesOn) {
  for (const char* title : {"c", "c", "d"}) {
    QVRTallixCustomConstantNumber::addConstant(std::make_shared<QVRTallixCustomConstantNumber>(
        title, QVRTallixNumber(QVRTallixDecimal(2))));
  }
  const std::string message =
      "ambiguous constant 'c': 2 constants go by that title (name it by its number or uuid, see "
      "'tallix constants')";
  EXPECT_EQ(answerOf({"constants", "remove", "c"}), "1 tallix constants: " + message + "\n");
  EXPECT_EQ(answerOf({"lines"}, {"{c}", "{D}*2"}),
            "0 2 × 2 = 4\ntallix: " + message + " in '{c}'\n");
}

}  // namespace
