#pragma once

#include <string>
#include <string_view>

#include "tallix/TallixCommand.h"

namespace tallix {

// `tallix [--radians]`, `tallix lines [--radians]`: the line-mode calculator on the current
// expression.
//
// Each line is typed as keys into the current expression and the line's end is the Equal key:
// the expression with its result is printed, and the result stays as the start of the next
// line, so a line that begins with an operator goes on from it ("*2") while one that begins
// with a digit starts afresh. "C" clears; "help" shows the usage; "quit", "exit" or the end of
// input ends. The current expression is saved every 10 seconds, when the program ends and when
// a termination signal ends it, so it comes back at the next start.
class LineModeCommand final : public TallixCommand {
 public:
  static constexpr std::string_view prompt = "> ";
  static constexpr const char* historyFileName = "history";

  std::string_view name() const override { return "lines"; }
  std::string_view summary() const override {
    return "the line-mode calculator (also: tallix with no command)";
  }
  std::string usage() const override;
  void configure(CLI::App& command) override;
  // Answers 128 plus the signal's number when a termination signal ended the input.
  int run(TallixIO& io) override;

 private:
  CLI::App* _command = nullptr;
};

}  // namespace tallix
