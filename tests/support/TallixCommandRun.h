#pragma once

#include <string>
#include <vector>

#include "tallix/TallixCommandLine.h"

// What one run of tallix with the default commands gave: exit status, standard output and error.
struct TallixOutcome {
  int status;
  std::string output;
  std::string error;
};

inline TallixOutcome tallixRun(const std::vector<std::string>& arguments,
                               std::vector<std::string> input = {}) {
  tallix::TallixCommandLine commandLine(tallix::TallixCommandLine::defaultCommands());
  tallix::TallixBufferIO io(std::move(input));
  const int status = commandLine.run(arguments, io);
  return {status, io.output(), io.error()};
}
