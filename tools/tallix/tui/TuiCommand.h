#pragma once

#include <string>
#include <string_view>

#include "tallix/TallixCommand.h"

namespace tallix {

// `tallix tui [--radians]`, `tallix --tui`, and `tallix` alone at a terminal: the full-screen
// calculator on the current expression and the tape. It leaves on Control-C, Control-D or a
// termination signal with the terminal restored; the current expression is saved as in the
// line-mode calculator (every 10 seconds and at the end), so it comes back at the next start.
class TuiCommand final : public TallixCommand {
 public:
  static constexpr const char* logFileName = "tui.log";

  std::string_view name() const override { return "tui"; }
  std::string_view summary() const override {
    return "the full-screen calculator (tallix at a terminal)";
  }
  std::string usage() const override;
  void configure(CLI::App& command) override;
  // Answers 128 plus the signal's number when a termination signal ended it.
  int run(TallixIO& io) override;

 private:
  CLI::App* _command = nullptr;
};

}  // namespace tallix
