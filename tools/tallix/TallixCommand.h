#pragma once

#include <string>
#include <string_view>

#include "tallix/TallixIO.h"

namespace CLI {
class App;
}

namespace tallix {

// The exit statuses of tallix.
enum TallixExitCode : int { success = 0, failure = 1, usage = 2 };

// One subcommand of tallix (`tallix NAME ARGUMENTS…`). A command declares its options on the
// parser, then runs with what was parsed.
class TallixCommand {
 public:
  virtual ~TallixCommand() = default;

  // The word that selects the command.
  virtual std::string_view name() const = 0;
  // One line for the overview of `tallix --help`.
  virtual std::string_view summary() const = 0;
  // The command's own help text, ending with a line feed.
  virtual std::string usage() const = 0;
  // Declares the command's options and positional arguments.
  virtual void configure(CLI::App& command) = 0;
  // Runs the command after a successful parse; answers the exit status.
  virtual int run(TallixIO& io) = 0;
};

}  // namespace tallix
