#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "support/TallixCommandRun.h"

namespace {

using tallix::TallixCommand;

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
    io.write("ran " + _name + (radians ? " --radians" : "") + category);
    for (const std::string& value : values) io.write(" " + value);
    return 0;
  }

  bool radians = false;
  std::string category;
  std::vector<std::string> values;

 private:
  std::string _name;
};

TallixOutcome run(std::vector<std::string> arguments, bool terminal = false) {
  std::vector<std::unique_ptr<TallixCommand>> commands;
  for (const char* name : {"eval", "lines", "tui"}) {
    commands.push_back(std::make_unique<RecordingCommand>(name));
  }
  tallix::TallixCommandLine commandLine(std::move(commands));
  tallix::TallixBufferIO io({}, terminal);
  const int status = commandLine.run(arguments, io);
  return {status, io.output(), io.error()};
}

// The command chosen and what it parsed, or the status 2 and one line of error. Pipes and
// scripts keep the line mode; a terminal gets the full-screen calculator unless it is named.
TEST(TallixCommandLine, ChoosesTheCommandOrExitsWithStatusTwoAndOneLine) {
  // clang-format off
  const struct { std::vector<std::string> arguments; bool terminal; int status; std::string text; } cases[] = {
    {{"--radians", "eval", "-40", "2+3", "--category", "Length"}, false, 0, "ran eval --radiansLength -40 2+3"},
    {{}, true, 0, "ran tui"},
    {{"--radians"}, false, 0, "ran lines --radians"},
    {{"lines"}, true, 0, "ran lines"},
    {{"--tui"}, false, 0, "ran tui"},
    {{"frobnicate"}, false, 2, "tallix: unknown command 'frobnicate' (see 'tallix --help')\n"},
    {{"eval", "--frobnicate"}, false, 2, "tallix eval: unexpected argument '--frobnicate' (see 'tallix eval --help')\n"},
    {{"--frobnicate"}, false, 2, "tallix lines: unexpected argument '--frobnicate' (see 'tallix lines --help')\n"},
    {{"eval", "--category"}, false, 2, "tallix eval: --category: 1 required TEXT missing (see 'tallix eval --help')\n"},
    // Help and the version print and run nothing.
    {{"eval", "--frobnicate", "--help"}, false, 0, "usage: tallix eval [--radians]\n"},
    {{"--version"}, false, 0, "tallix 1.0\n"},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testing::PrintToString(testCase.arguments) + (testCase.terminal ? " tty" : ""));
    const auto outcome = run(testCase.arguments, testCase.terminal);
    EXPECT_EQ(outcome.status, testCase.status);
    EXPECT_EQ(testCase.status == 0 ? outcome.output : outcome.error, testCase.text);
    EXPECT_EQ(testCase.status == 0 ? outcome.error : outcome.output, "");
  }
  EXPECT_NE(run({"--help"}).output.find("  eval      records its arguments\n"), std::string::npos);
}

}  // namespace
