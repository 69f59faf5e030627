#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tallix/TallixCommand.h"

namespace tallix {

// `tallix constants [--all]` lists the constants; `add TITLE VALUE`, `remove REF`,
// `rename REF TITLE`, `hide REF` and `show REF` edit them. The user's own constants live in the
// custom-constants document (saved before the program leaves, and synchronised through the
// configured store); hiding and showing is for built-in constants, through their stored choice.
class ConstantsCommand final : public TallixCommand {
 public:
  std::string_view name() const override { return "constants"; }
  std::string_view summary() const override {
    return "list the constants, add and edit your own: tallix constants add g 9.81";
  }
  std::string usage() const override;
  // Takes every argument as it is: values such as "-5" are no options.
  void configure(CLI::App& command) override;
  int run(TallixIO& io) override;

 private:
  int list(bool all, TallixIO& io) const;
  int add(const std::vector<std::string>& arguments, TallixIO& io) const;
  int edit(const std::string& action, const std::vector<std::string>& arguments,
           TallixIO& io) const;

  CLI::App* _command = nullptr;
};

}  // namespace tallix
