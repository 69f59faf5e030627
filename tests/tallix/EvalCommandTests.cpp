// tallix eval and the key typer: text typed as keys, outputs typed back in, options and errors.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ScopedEnvironment.h"
#include "support/TallixTest.h"
#include "tallix/TallixCommandLine.h"
#include "tallix/TallixKeyTyper.h"

namespace {

using tallix::TallixKeyTyper;

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

class EvalCommandTests : public TallixTest {};

TEST_F(EvalCommandTests, TextTypesTheKeysOfItsCharactersAndWords) {
  const struct {
    const char* text;
    std::vector<std::uint64_t> keys;
    const char* unknownWord;
  } cases[] = {
      {"2×3−1÷4",
       {2, QVRTallixKeyTypeMultiply, 3, QVRTallixKeyTypeSubtract, 1, QVRTallixKeyTypeDivide, 4},
       nullptr},
      {"2*3-1/4",
       {2, QVRTallixKeyTypeMultiply, 3, QVRTallixKeyTypeSubtract, 1, QVRTallixKeyTypeDivide, 4},
       nullptr},
      // Words in any case; single letters as they are: E and e are two keys, x is none.
      {"SIN Pi e E Ee x",
       {QVRTallixKeyTypeSine, QVRTallixKeyTypeNone, QVRTallixKeyTypePi, QVRTallixKeyTypeNone,
        QVRTallixKeyTypeExponential, QVRTallixKeyTypeNone, QVRTallixKeyTypeEngineeringExponent,
        QVRTallixKeyTypeNone, QVRTallixKeyTypeEngineeringExponent, QVRTallixKeyTypeNone,
        QVRTallixKeyTypeNone},
       nullptr},
      // Digits belong to the word only when the whole names a key.
      {"log10", {QVRTallixKeyTypeLogarithmBase10}, nullptr},
      {"log2", {QVRTallixKeyTypeLogarithmBase2}, nullptr},
      {"log25", {QVRTallixKeyTypeLogarithmBase10, 2, 5}, nullptr},
      {"x7", {QVRTallixKeyTypeNone, 7}, nullptr},
      // What the display prints types back: superscripts and subscripts are no keys.
      {"2 xʸ 3",
       {2, QVRTallixKeyTypeNone, QVRTallixKeyTypeNone, QVRTallixKeyTypeNone, QVRTallixKeyTypeNone,
        3},
       nullptr},
      {"√±", {QVRTallixKeyTypeSquareRoot, QVRTallixKeyTypeSignChange}, nullptr},
      {"rad deg del neg",
       {QVRTallixKeyTypeAngleModeDegrees, QVRTallixKeyTypeNone, QVRTallixKeyTypeAngleModeRadians,
        QVRTallixKeyTypeNone, QVRTallixKeyTypeDelete, QVRTallixKeyTypeNone,
        QVRTallixKeyTypeSignChange},
       nullptr},
      // Broken UTF-8 types nothing and never reads past the end.
      {"1\xff\xe2\x88", {1, QVRTallixKeyTypeNone, QVRTallixKeyTypeNone}, nullptr},
      {"", {}, nullptr},
      {"1+foo", {}, "foo"},
      {"2 sinx", {}, "sinx"},
      {"logarithmically", {}, "logarithmically"},
  };
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
}

TEST_F(EvalCommandTests, TheLocaleDecimalSeparatorTypesTheSeparatorKey) {
  const ScopedEnvironment arabic("ar_EG");
  std::vector<QVRTallixKeyType> keys;
  EXPECT_FALSE(TallixKeyTyper().keyTypes("1٫5", keys));
  EXPECT_EQ(keys,
            (std::vector<QVRTallixKeyType>{QVRTallixKeyTypeDigit1, QVRTallixKeyTypeDecimalSeparator,
                                           QVRTallixKeyTypeDigit5}));
}

TEST_F(EvalCommandTests, PrintsEachExpressionWithItsResult) {
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> input;
    int status;
    const char* output;
    const char* error;
  } cases[] = {
      {{"eval", "2+3*4", "(1+2)*3", "5!+2", "200+10%", "1/0", "2^3^2"},
       {},
       0,
       "2 + 3 × 4 = 14\n(1 + 2) × 3 = 9\n5! + 2 = 122\n200 + 10 % = 220\n1 ÷ 0 = Error\n"
       "2 xʸ 3 xʸ 2 = 64\n",
       ""},
      {{"eval"},
       {"1+1", "", "0.1+0.2", "1/3"},
       0,
       "1 + 1 = 2\n0 = 0\n0.1 + 0.2 = 0.3\n1 ÷ 3 = 0.333333333333333\n",
       ""},
      {{"eval", "30 sin", "2 sqrt", "pi*2", "8 log2", "2 × 3 − 1 ÷ 4", "rad 90 sin"},
       {},
       0,
       "30 sin = 0.5\n2 √ = 1.41421356237\n3.14159265359 × 2 = 6.28318530718\n8 log₂ = 3\n"
       "2 × 3 − 1 ÷ 4 = 5.75\n90 sin = 0.893996663600558\n",
       ""},
      {{"eval", "--radians", "0 cos", "1 asin"}, {}, 0, "0 cos = 1\n1 asin = 1.57079632679\n", ""},
      {{"--radians", "eval", "90 sin"}, {}, 0, "90 sin = 0.893996663600558\n", ""},
      // After "--" everything is an expression; "-5" never was an option.
      {{"eval", "--", "-5", "--radians"},
       {},
       2,
       "0 − 5 = -5\n",
       "tallix eval: unknown key name 'radians' in '--radians' (see 'tallix eval --help' for the "
       "key names)\n"},
      {{"eval", "-5"}, {}, 0, "0 − 5 = -5\n", ""},
      // An unknown word is reported; the other expressions are still printed.
      {{"eval", "1+1", "foo+1", "2*2"},
       {},
       2,
       "1 + 1 = 2\n2 × 2 = 4\n",
       "tallix eval: unknown key name 'foo' in 'foo+1' (see 'tallix eval --help' for the key "
       "names)\n"},
      {{"eval"},
       {"zz top", "3"},
       2,
       "3 = 3\n",
       "tallix eval: unknown key name 'zz' in 'zz top' (see 'tallix eval --help' for the key "
       "names)\n"},
      {{"eval", "--bogus", "1"},
       {},
       2,
       "",
       "tallix eval: unknown option '--bogus' (see 'tallix eval --help')\n"},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.arguments.back());
    const Outcome outcome = tallixRun(testCase.arguments, testCase.input);
    EXPECT_EQ(outcome.status, testCase.status);
    EXPECT_EQ(outcome.output, testCase.output);
    EXPECT_EQ(outcome.error, testCase.error);
  }
}

TEST_F(EvalCommandTests, PrintedExpressionsTypeBackToTheSameLine) {
  const char* const typed[] = {"2*3-1/4", "(1+2)*3!",   "7!/5!-0.5",   "2 sqrt*2 sqrt",
                               "-3*-2",   "100/8 sqrt", "9-(8-(7-6))", "45 sin×2−1÷3"};
  for (const char* text : typed) {
    SCOPED_TRACE(text);
    const Outcome first = tallixRun({"eval", text});
    const std::string line = first.output.substr(0, first.output.size() - 1);
    const std::string expression = line.substr(0, line.rfind(" = "));
    EXPECT_EQ(tallixRun({"eval", expression}).output, first.output);
  }
}

}  // namespace
