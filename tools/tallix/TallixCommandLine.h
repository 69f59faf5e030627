#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tallix/TallixCommand.h"
#include "tallix/TallixIO.h"

namespace tallix {

// The terminal calculator's command line: chooses the subcommand, parses its options and runs
// it. Without a command (or with only options) it runs the line-mode calculator ("lines").
class TallixCommandLine {
 public:
  explicit TallixCommandLine(std::vector<std::unique_ptr<TallixCommand>> commands);
  // The program's commands.
  static std::vector<std::unique_ptr<TallixCommand>> defaultCommands();

  // Runs tallix with `arguments` (without the program name); answers the exit status.
  int run(const std::vector<std::string>& arguments, TallixIO& io);

  // The text of `tallix --help`.
  std::string overview() const;

 private:
  TallixCommand* command(const std::string& name) const;
  int runCommand(TallixCommand& command, std::vector<std::string> arguments, TallixIO& io);

  std::vector<std::unique_ptr<TallixCommand>> _commands;
};

// The program's version text.
inline constexpr const char* TallixVersionString = "tallix 1.0";

}  // namespace tallix
