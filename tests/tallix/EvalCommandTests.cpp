// tallix eval and the key typer: text typed as keys, outputs typed back in, options and errors.
// The recorded outputs (GoldenOutputsTests) cover what expressions print; these are the words,
// the options and the messages.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ScopedEnvironment.h"
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
    {"2×3−1÷4", {2, QVRTallixKeyTypeMultiply, 3, QVRTallixKeyTypeSubtract, 1, QVRTallixKeyTypeDivide, 4}, nullptr},
    // Words in any case; single letters as they are: E and e are two keys, x is none.
    {"SIN Pi e E Ee x", {QVRTallixKeyTypeSine, none, QVRTallixKeyTypePi, none, QVRTallixKeyTypeExponential,
                         none, ee, none, ee, none, none}, nullptr},
    // Digits belong to the word only when the whole names a key.
    {"log10", {QVRTallixKeyTypeLogarithmBase10}, nullptr},
    {"log25", {QVRTallixKeyTypeLogarithmBase10, 2, 5}, nullptr},
    {"x7", {none, 7}, nullptr},
    // What the display prints types back: an operation's own text is its key.
    {"2 xʸ 3", {2, none, QVRTallixKeyTypePower, none, 3}, nullptr},
    {"10ˣ log₁₀", {QVRTallixKeyTypeTenToThePower, none, QVRTallixKeyTypeLogarithmBase10}, nullptr},
    {"√±", {QVRTallixKeyTypeSquareRoot, QVRTallixKeyTypeSignChange}, nullptr},
    // Broken UTF-8 types nothing and never reads past the end.
    {"1\xff\xe2\x88", {1, none, none}, nullptr},
    {"", {}, nullptr},
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
  // Every key name types its key.
  for (const auto& [word, key] : TallixKeyTyper::words()) {
    std::vector<QVRTallixKeyType> keys;
    EXPECT_FALSE(typer.keyTypes(word, keys));
    EXPECT_EQ(keys, std::vector<QVRTallixKeyType>{key}) << word;
  }
  const ScopedEnvironment arabic("ar_EG");
  std::vector<QVRTallixKeyType> keys;
  EXPECT_FALSE(TallixKeyTyper().keyTypes("1٫5", keys));
  EXPECT_EQ(keys,
            (std::vector<QVRTallixKeyType>{QVRTallixKeyTypeDigit1, QVRTallixKeyTypeDecimalSeparator,
                                           QVRTallixKeyTypeDigit5}));
}

TEST_F(EvalCommandTests, OptionsInputLinesAndUnknownWords) {
  const std::string help = " (see 'tallix eval --help' for the key names)\n";
  // clang-format off
  const struct { std::vector<std::string> arguments, input; int status; std::string output, error; } cases[] = {
    {{"eval"}, {"1+1", "", "1/3"}, 0, "1 + 1 = 2\n0 = 0\n1 ÷ 3 = 0.333333333333333\n", ""},
    {{"eval", "--radians", "0 cos", "1 asin"}, {}, 0, "0 cos = 1\n1 asin = 1.57079632679\n", ""},
    {{"--radians", "eval", "90 sin"}, {}, 0, "90 sin = 0.893996663600558\n", ""},
    // After "--" everything is an expression; "-5" never was an option.
    {{"eval", "--", "-5", "--radians"}, {}, 2, "0 − 5 = -5\n", "tallix eval: unknown key name 'radians' in '--radians'" + help},
    {{"eval", "-5"}, {}, 0, "0 − 5 = -5\n", ""},
    // An unknown word is reported; the other expressions are still printed.
    {{"eval", "1+1", "foo+1", "2*2"}, {}, 2, "1 + 1 = 2\n2 × 2 = 4\n", "tallix eval: unknown key name 'foo' in 'foo+1'" + help},
    {{"eval"}, {"zz top", "3"}, 2, "3 = 3\n", "tallix eval: unknown key name 'zz' in 'zz top'" + help},
    {{"eval", "--bogus", "1"}, {}, 2, "", "tallix eval: unknown option '--bogus' (see 'tallix eval --help')\n"},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.arguments.back());
    const TallixOutcome outcome = tallixRun(testCase.arguments, testCase.input);
    EXPECT_EQ(outcome.status, testCase.status);
    EXPECT_EQ(outcome.output, testCase.output);
    EXPECT_EQ(outcome.error, testCase.error);
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
