// tallix eval's key typer: text typed as keys, and outputs typed back in. The recorded outputs
// (GoldenOutputsTests) cover what expressions print in each locale; these are the boundaries of
// words and broken text, and every key name typed back. The options and messages of tallix eval
// are in LineModeCommandTests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TallixCommandRun.h"
#include "support/TallixTest.h"
#include "tallix/TallixKeyTyper.h"

namespace {

using tallix::TallixKeyTyper;
using EvalCommandTests = TallixTest;

TEST_F(EvalCommandTests, TextTypesTheKeysOfItsCharactersAndWords) {
  constexpr std::uint64_t none = QVRTallixKeyTypeNone, ee = QVRTallixKeyTypeEngineeringExponent;
  // clang-format off
  const struct { const char* text; std::vector<std::uint64_t> keys; const char* unknownWord; } cases[] = {
    // Words in any case; single letters as they are: E and e are two keys, x is none.
    {"SIN Pi e E Ee x", {QVRTallixKeyTypeSine, none, QVRTallixKeyTypePi, none, QVRTallixKeyTypeExponential,
                         none, ee, none, ee, none, none}, nullptr},
    // Digits belong to the word only when the whole names a key.
    {"log25", {QVRTallixKeyTypeLogarithmBase10, 2, 5}, nullptr},
    {"x7", {none, 7}, nullptr},
    // Broken UTF-8 types nothing and never reads past the end.
    {"1\xff\xe2\x88", {1, none, none}, nullptr},
    {"1+foo", {}, "foo"},
    {"2 sinx", {}, "sinx"},
    {"logarithmically", {}, "logarithmically"},
  };
  // clang-format on
  const TallixKeyTyper typer;
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.text);
    std::vector<QVRTallixKeyType> keys{QVRTallixKeyTypeClear};
    const auto unknown = typer.keyTypes(testCase.text, keys);
    EXPECT_EQ(unknown.value_or("(none)"), testCase.unknownWord ? testCase.unknownWord : "(none)");
    EXPECT_EQ(std::vector<std::uint64_t>(keys.begin() + 1, keys.end()), testCase.keys);
  }
}

// Also every key between two numbers: the operations' own texts ("xʸ", "10ˣ", "log₁₀") type
// back as their keys, not as the letters and digits in them. (A number negated while typed,
// "-0.53", types back as a subtraction with the same result.)
TEST_F(EvalCommandTests, PrintedExpressionsTypeBackToTheSameLine) {
  std::vector<std::string> texts{"2*3-1/4", "(1+2)*3!",   "7!/5!-0.5",   "2 sqrt*2 sqrt",
                                 "-3*-2",   "100/8 sqrt", "9-(8-(7-6))", "45 sin×2−1÷3"};
  for (const auto& [word, key] : TallixKeyTyper::words()) {
    if (key != QVRTallixKeyTypeSignChange) texts.push_back("0.5 " + std::string(word) + " 3");
  }
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    const TallixOutcome first = tallixRun({"eval", text});
    const std::string expression = first.output.substr(0, first.output.rfind(" = "));
    EXPECT_EQ(tallixRun({"eval", expression}).output, first.output);
  }
}

}  // namespace
