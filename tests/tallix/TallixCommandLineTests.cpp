#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "support/TallixCommandRun.h"

namespace {

using tallix::TallixCommand;
using tallix::TallixCommandLine;

// A command that records what it parsed: a flag, an option and its positional arguments.
class RecordingCommand final : public TallixCommand {
 public:
  explicit RecordingCommand(std::string name) : _name(std::move(name)) {}
  std::string_view name() const override { return _name; }
  std::string_view summary() const override { return "records its arguments"; }
  std::string usage() const override { return "usage: tallix " + _name + " [--radians]\n"; }
  void configure(CLI::App& command) override {
    command.add_flag("--radians", radians);
    command.add_option("--category", category);
    command.add_option("values", values);
  }
  int run(tallix::TallixIO& io) override {
    ++runs;
    io.write("ran " + _name + "\n");
    return 0;
  }

  bool radians = false;
  std::string category;
  std::vector<std::string> values;
  int runs = 0;

 private:
  std::string _name;
};

class TallixCommandLineTests : public ::testing::Test {
 protected:
  TallixOutcome run(std::vector<std::string> arguments, bool terminal = false) {
    std::vector<std::unique_ptr<TallixCommand>> commands;
    auto eval = std::make_unique<RecordingCommand>("eval");
    auto lines = std::make_unique<RecordingCommand>("lines");
    auto tui = std::make_unique<RecordingCommand>("tui");
    evalCommand = eval.get();
    linesCommand = lines.get();
    tuiCommand = tui.get();
    commands.push_back(std::move(eval));
    commands.push_back(std::move(lines));
    commands.push_back(std::move(tui));
    commandLine = std::make_unique<TallixCommandLine>(std::move(commands));
    tallix::TallixBufferIO io({}, terminal);
    const int status = commandLine->run(arguments, io);
    return {status, io.output(), io.error()};
  }

  // Kept until the next run, so that the recorded commands can be read after a run.
  std::unique_ptr<TallixCommandLine> commandLine;
  RecordingCommand* evalCommand = nullptr;
  RecordingCommand* linesCommand = nullptr;
  RecordingCommand* tuiCommand = nullptr;
};

TEST_F(TallixCommandLineTests, ChoosesTheCommandAndPassesItsArguments) {
  auto outcome = run({"--radians", "eval", "-40", "2+3", "--category", "Length"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output, "ran eval\n");
  EXPECT_TRUE(evalCommand->radians);
  EXPECT_EQ(evalCommand->category, "Length");
  EXPECT_EQ(evalCommand->values, (std::vector<std::string>{"-40", "2+3"}));
  EXPECT_EQ(linesCommand->runs, 0);
  // Without a command, line mode runs with the options.
  for (const auto& arguments : std::vector<std::vector<std::string>>{{}, {"--radians"}}) {
    EXPECT_EQ(run(arguments).output, "ran lines\n");
    EXPECT_EQ(linesCommand->radians, !arguments.empty());
  }
}

// Pipes and scripts keep the line mode; a terminal gets the full-screen calculator unless the
// line mode is named.
TEST_F(TallixCommandLineTests, AtATerminalTheFullScreenCalculatorIsTheDefault) {
  const struct {
    std::vector<std::string> arguments;
    bool terminal;
    const char* ran;
    bool radians;
  } cases[] = {
      {{}, true, "ran tui\n", false},         {{"--radians"}, true, "ran tui\n", true},
      {{}, false, "ran lines\n", false},      {{"lines"}, true, "ran lines\n", false},
      {{"--tui"}, false, "ran tui\n", false}, {{"--tui", "--radians"}, true, "ran tui\n", true},
      {{"tui"}, false, "ran tui\n", false},   {{"eval", "2"}, true, "ran eval\n", false},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.arguments.empty() ? "(none)" : testCase.arguments.front());
    const auto outcome = run(testCase.arguments, testCase.terminal);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, testCase.ran);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(tuiCommand->radians || linesCommand->radians, testCase.radians);
  }
}

TEST_F(TallixCommandLineTests, BadWordsAndOptionsExitWithStatusTwoAndOneLine) {
  // clang-format off
  const struct { std::vector<std::string> arguments; std::string error; } cases[] = {
    {{"frobnicate"}, "tallix: unknown command 'frobnicate' (see 'tallix --help')\n"},
    {{"eval", "--frobnicate"}, "tallix eval: unexpected argument '--frobnicate' (see 'tallix eval --help')\n"},
    {{"--frobnicate"}, "tallix lines: unexpected argument '--frobnicate' (see 'tallix lines --help')\n"},
    {{"eval", "--category"}, "tallix eval: --category: 1 required TEXT missing (see 'tallix eval --help')\n"},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.arguments.front());
    auto outcome = run(testCase.arguments);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.output, "");
    EXPECT_EQ(outcome.error, testCase.error);
  }
}

TEST_F(TallixCommandLineTests, HelpAndVersionPrintAndRunNothing) {
  auto overview = run({"--help"});
  EXPECT_EQ(overview.status, 0);
  EXPECT_NE(overview.output.find("  eval      records its arguments\n"), std::string::npos);
  auto commandHelp = run({"eval", "--frobnicate", "--help"});
  EXPECT_EQ(commandHelp.status, 0);
  EXPECT_EQ(commandHelp.output, "usage: tallix eval [--radians]\n");
  EXPECT_EQ(evalCommand->runs, 0);
  auto version = run({"--version"});
  EXPECT_EQ(version.output, "tallix 1.0\n");
}

}  // namespace
