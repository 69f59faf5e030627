#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "expression/QVRTallixKeyType.h"
#include "tallix/TallixCommand.h"
#include "tape/QVRTallixTape.h"

namespace tallix {

class TallixKeyTyper;

// `tallix eval [--radians] [--save] [--] EXPR…`: types each expression key by key into a new
// expression and prints its stringDescription, one line each; without EXPR, each line of standard
// input is one expression. With --save each one is also saved to the tape (saveToTape); without
// it the tape is never touched.
class EvalCommand final : public TallixCommand {
 public:
  std::string_view name() const override { return "eval"; }
  std::string_view summary() const override {
    return "evaluate expressions typed as keys: tallix eval '2+3*4'";
  }
  std::string usage() const override;
  // Takes every argument as it is: expressions such as "-5" are no options.
  void configure(CLI::App& command) override;
  int run(TallixIO& io) override;

  // The stringDescription of a new expression into which `text` was typed; none for a text
  // with an unknown key name, which is then set in `unknownWord`. `keys` is scratch space.
  // With `tapeEntries`, the calculation's tape entry (QVRTallixExpression::tapeEntry) is added
  // to them after its line is made.
  static std::optional<std::string> evaluatedLine(
      std::string_view text, bool radians, const TallixKeyTyper& typer,
      std::vector<QVRTallixKeyType>& keys, std::string& unknownWord,
      QVRTallixTape::ExpressionList* tapeEntries = nullptr);

 private:
  CLI::App* _command = nullptr;
};

}  // namespace tallix
