#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "expression/QVRTallixCurrentExpressionSlot.h"
#include "expression/QVRTallixExpression.h"
#include "support/TallixTest.h"
#include "tallix/TallixCommandLine.h"
#include "tape/QVRTallixTape.h"

namespace {

class TapeCommandTests : public TallixTest {};

}  // namespace

// Calculations saved by eval --save and line mode, listed, marked, removed and exported by
// `tallix tape`, each command a run of its own: it ends as the program does (the run loop's
// termination saves), and the next one reads the tape afresh.
TEST_F(TapeCommandTests, SavesListsMarksAndExportsAcrossRuns) {
  // A stray file where the tape's directory belongs is removed before the tape is made.
  std::filesystem::create_directories(environment().documentsDirectory());
  std::ofstream(environment().documentsDirectory() / "Tallix.tape") << "stray";
  // clang-format off
  const struct { std::vector<std::string> arguments, input; int status; const char* output;
                 const char* error; } steps[] = {
    {{"eval", "--save", "2+3*4", "5!+2", "999*999"}, {}, 0, nullptr, ""},
    {{"eval", "7*6"}, {}, 0, "7 × 6 = 42\n", ""},
    // Enter saves; a bare repeat of the result and a cleared line do not.
    {{"lines"}, {"1+1", "", "*3", "C"}, 0, nullptr, ""},
    {{"tape"}, {}, 0, "1   2 + 3 × 4 = 14\n2   5! + 2 = 122\n3   999 × 999 = 998,001\n"
                      "4   1 + 1 = 2\n5   2 × 3 = 6\n", ""},
    {{"tape", "favorite", "2"}, {}, 0, "", ""},
    {{"tape", "favorite", "{prefix4}"}, {}, 0, "", ""},
    {{"tape", "--favorites"}, {}, 0, "2 * 5! + 2 = 122\n4 * 1 + 1 = 2\n", ""},
    {{"tape", "--last", "2", "--json"}, {}, 0,
     "[\n  {\n    \"favorite\": true,\n    \"number\": 4,\n    \"result\": \"2\",\n    \"text\": "
     "\"1 + 1\",\n    \"uuid\": \"{uuid4}\"\n  },\n  {\n    \"favorite\": false,\n    "
     "\"number\": 5,\n    \"result\": \"6\",\n    \"text\": \"2 × 3\",\n    \"uuid\": "
     "\"{uuid5}\"\n  }\n]\n", ""},
    {{"tape", "remove", "6"}, {}, 1, "", "tallix tape remove: no entry 6 on the tape (it holds 5)\n"},
    {{"tape", "unfavorite", "abc"}, {}, 1, "", "too short for a uuid prefix"},
    {{"tape", "unfavorite", "4"}, {}, 0, "", ""},
    {{"tape", "remove", "1"}, {}, 0, "", ""},
    {{"tape", "export", "--csv"}, {}, 0, "expression,result\r\n5! + 2,122\r\n"
     "999 × 999,\"998,001\"\r\n1 + 1,2\r\n2 × 3,6\r\n", ""},
    {{"tape", "remove-non-favorites"}, {}, 0, "", ""},
    {{"tape"}, {}, 0, "1 * 5! + 2 = 122\n", ""},
    {{"tape", "clear"}, {}, 0, "", ""},
    {{"tape"}, {}, 0, "", ""},
    {{"tape", "export"}, {}, 2, "", "export needs --csv"},
  };
  // clang-format on
  std::map<std::string, std::string> fills;
  const auto fill = [&](std::string text) {
    for (const auto& [name, value] : fills) {
      for (auto at = text.find(name); at != std::string::npos; at = text.find(name)) {
        text.replace(at, name.size(), value);
      }
    }
    return text;
  };
  for (const auto& step : steps) {
    std::vector<std::string> arguments;
    for (const auto& argument : step.arguments) arguments.push_back(fill(argument));
    SCOPED_TRACE(testing::PrintToString(arguments));
    tallix::TallixBufferIO io(step.input);
    tallix::TallixCommandLine commandLine(tallix::TallixCommandLine::defaultCommands());
    EXPECT_EQ(commandLine.run(arguments, io), step.status);
    runLoop().terminate();
    environment().setSharedInstance<QVRTallixTape>(nullptr);
    environment().setSharedInstance<QVRTallixCurrentExpressionSlot>(nullptr);
    if (step.output) {
      EXPECT_EQ(io.output(), fill(step.output));
    }
    EXPECT_NE(io.error().find(step.error), std::string::npos) << io.error();
    if (fills.empty() && QVRTallixTape::tape().expressionCount() == 5) {
      fills["{uuid4}"] = QVRTallixTape::tape().expressionAtIndex(3)->uuid();
      fills["{uuid5}"] = QVRTallixTape::tape().expressionAtIndex(4)->uuid();
      // A prefix names it too; with its dash it never reads as an entry number.
      fills["{prefix4}"] = fills["{uuid4}"].substr(0, 9);
    }
  }
}
