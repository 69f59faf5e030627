#pragma once

#include <string>
#include <string_view>

#include "tallix/TallixCommand.h"

namespace tallix {

// `tallix units [CATEGORY]`: lists the unit categories of the catalogue, or the units of one
// category.
class UnitsCommand final : public TallixCommand {
 public:
  std::string_view name() const override { return "units"; }
  std::string_view summary() const override {
    return "list the unit categories, or the units of one category";
  }
  std::string usage() const override;
  // Takes every argument as it is, to name unknown options in its own words.
  void configure(CLI::App& command) override;
  int run(TallixIO& io) override;

 private:
  CLI::App* _command = nullptr;
};

}  // namespace tallix
