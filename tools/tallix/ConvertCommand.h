#pragma once

#include <string>
#include <string_view>

#include "tallix/TallixCommand.h"

namespace tallix {

// `tallix convert VALUE FROM TO [--category NAME]`: converts a value between two units of the
// catalogue and prints the result formatted by the target unit.
class ConvertCommand final : public TallixCommand {
 public:
  std::string_view name() const override { return "convert"; }
  std::string_view summary() const override { return "convert a value from one unit to another"; }
  std::string usage() const override;
  // Takes every argument as it is: values such as "-40" are no options.
  void configure(CLI::App& command) override;
  int run(TallixIO& io) override;

 private:
  CLI::App* _command = nullptr;
};

}  // namespace tallix
