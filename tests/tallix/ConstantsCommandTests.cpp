// tallix constants and constants typed into calculations: a session of commands against one
// environment, what it leaves on disk, and the messages for what cannot be done.

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "constants/QVRTallixConstantNumbersDocument.h"
#include "constants/QVRTallixCustomConstantNumber.h"
#include "support/TallixTest.h"
#include "tallix/TallixCommandLine.h"

namespace {

using tallix::detail::QVRTallixConstantNumbersDocument;

struct Outcome {
  int status;
  std::string output;
  std::string error;
};

Outcome tallixRun(std::vector<std::string> arguments, std::vector<std::string> input = {}) {
  tallix::TallixCommandLine commandLine(tallix::TallixCommandLine::defaultCommands());
  tallix::TallixBufferIO io(std::move(input));
  const int status = commandLine.run(arguments, io);
  return {status, io.output(), io.error()};
}

class ConstantsCommandTests : public TallixTest {};

TEST_F(ConstantsCommandTests, ASessionOfEditsListsTypesAndSavesTheConstants) {
  // Typing without braces never opens the user's constants.
  EXPECT_EQ(tallixRun({"eval", "pi*2"}).status, 0);
  EXPECT_FALSE(environment().existingSharedInstance<QVRTallixConstantNumbersDocument>());

  const struct {
    std::vector<std::string> arguments;
    int status;
    const char* output;  // a part of the output; "" for none
    const char* error;   // the whole error text
  } steps[] = {
      {{"constants", "add", "g", "9.81"}, 0, "added g = 9.81\n", ""},
      {{"constants", "add", "Neg", "-2.5"}, 0, "added Neg = -2.5\n", ""},
      {{"eval", "{g} * 2", "{ Neg }+{Pi}-{speed of light}"},
       0,
       "9.81 × 2 = 19.62\n-2.5 + 3.14159265359 − 299,792,458 = -299,792,457.358\n",
       ""},
      {{"eval", "{G}"}, 0, "9.81 = 9.81\n", ""},
      {{"constants", "add", "G", "1"},
       1,
       "",
       "tallix constants: the title 'G' is taken by the constant 'g'\n"},
      {{"constants", "add", "x{", "1"},
       1,
       "",
       "tallix constants: a title cannot hold braces, tabs or line breaks\n"},
      {{"constants", "add", "h", "1.5.5"},
       1,
       "",
       "tallix constants: '1.5.5' is not a number in the locale en_US\n"},
      {{"constants", "add", "h"},
       2,
       "",
       "tallix constants: add expects TITLE VALUE\n"
       "usage: tallix constants [--all]\n       tallix constants add TITLE VALUE | remove REF | "
       "rename REF "
       "TITLE | hide REF | show REF\n"},
      {{"eval", "{nope}+1", "{g"},
       2,
       "",
       "tallix eval: unknown constant 'nope' (see 'tallix constants') in '{nope}+1'\n"
       "tallix eval: missing '}' after '{g' in '{g'\n"},
      {{"constants", "rename", "g", "gravity"}, 0, "renamed g to gravity\n", ""},
      {{"constants", "hide", "Pi"}, 0, "hidden Pi\n", ""},
      {{"constants"}, 0, "12 9.81 gravity yours\n", ""},
      {{"constants", "hide", "gravity"},
       1,
       "",
       "tallix constants: 'gravity' is one of your constants, which are always shown; remove it "
       "with 'tallix constants remove'\n"},
      {{"constants", "remove", "Pi"},
       1,
       "",
       "tallix constants: 'Pi' is a built-in constant, which cannot be removed; hide it with "
       "'tallix constants hide'\n"},
      {{"constants", "remove", "999"},
       1,
       "",
       "tallix constants: no constant number 999 (the constants are numbered 1 to 28, see 'tallix "
       "constants --all')\n"},
      {{"constants", "--all"}, 0, "17 3.14159265359 Pi built-in, hidden\n", ""},
      {{"constants", "show", "pi"}, 0, "shown Pi\n", ""},
      {{"constants", "remove", "neg"}, 0, "removed Neg\n", ""},
      {{"constants", "frobnicate"},
       2,
       "",
       "tallix constants: unknown subcommand 'frobnicate'\n"
       "usage: tallix constants [--all]\n       tallix constants add TITLE VALUE | remove REF | "
       "rename REF "
       "TITLE | hide REF | show REF\n"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.arguments.back());
    const Outcome outcome = tallixRun(step.arguments);
    EXPECT_EQ(outcome.status, step.status);
    // The table's columns with one blank between them.
    const std::string output = std::regex_replace(outcome.output, std::regex(" +"), " ");
    EXPECT_NE(output.find(step.output), std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.error, step.error);
  }
  // The default listing leaves hidden constants out and marks nothing hidden.
  EXPECT_EQ(tallixRun({"constants"}).output.find("hidden"), std::string::npos);

  // Every change was written before its command returned: another start reads it.
  const auto constants = QVRTallixCustomConstantNumber::constants();
  ASSERT_EQ(constants.size(), 1u);
  QVRTallixConstantNumbersDocument reread("Main.customConstants", nullptr);
  ASSERT_EQ(reread.constantCount(), 1u);
  EXPECT_EQ(reread.constantAtIndex(0)->description(), constants[0]->description());
  // A uuid names a constant too, in any case.
  std::string uuid = constants[0]->uuid();
  for (char& c : uuid) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(tallixRun({"constants", "remove", uuid}).output, "removed gravity\n");
}

TEST_F(ConstantsCommandTests, AmbiguousTitlesAskForANumber) {
  QVRTallixCustomConstantNumber::addConstant(
      std::make_shared<QVRTallixCustomConstantNumber>("c", QVRTallixNumber(QVRTallixDecimal(1))));
  QVRTallixCustomConstantNumber::addConstant(
      std::make_shared<QVRTallixCustomConstantNumber>("c", QVRTallixNumber(QVRTallixDecimal(2))));
  const std::string message =
      "ambiguous constant 'c': 2 constants go by that title (name it by its number or uuid, see "
      "'tallix constants')";
  EXPECT_EQ(tallixRun({"constants", "remove", "c"}).error, "tallix constants: " + message + "\n");
  EXPECT_EQ(tallixRun({"eval", "{c}"}).error, "tallix eval: " + message + " in '{c}'\n");
  // Line mode types constants too, and goes on after an error.
  EXPECT_EQ(tallixRun({"lines"}, {"{C}", "{Pi}*2"}).output, "3.14159265359 × 2 = 6.28318530718\n");
}

}  // namespace
