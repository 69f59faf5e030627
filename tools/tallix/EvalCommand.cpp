#include "tallix/EvalCommand.h"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include "expression/QVRTallixExpression.h"
#include "tallix/TallixKeyTyper.h"

namespace tallix {

std::string EvalCommand::usage() const {
  return fmt::format(R"USAGE(usage: tallix eval [--radians] [--save] [--] EXPR…
       tallix eval [--radians] [--save] < FILE

Types each EXPR (or each line of standard input) key by key into a new expression, as on
the calculator's keyboard, and prints the expression with its result, one line each:

    $ tallix eval '2+3*4' '(1+2)*3' '5!+2'
    2 + 3 × 4 = 14
    (1 + 2) × 3 = 9
    5! + 2 = 122

{}
Options:
  --radians   angles in radians (default: degrees)
  --save      also save each calculation to the tape (see 'tallix tape')
  --help      this text

Exit status: 0 when every expression was read, 2 for a bad option, an unknown key name or
an unknown constant.
)USAGE",
                     TallixKeyTyper::keysHelp());
}

void EvalCommand::configure(CLI::App& command) {
  command.allow_extras();
  _command = &command;
}

std::optional<std::string> EvalCommand::evaluatedLine(std::string_view text, bool radians,
                                                      const TallixKeyTyper& typer,
                                                      std::vector<QVRTallixKeyType>& keys,
                                                      std::string& unknownWord,
                                                      QVRTallixTape::ExpressionList* tapeEntries) {
  keys.clear();
  std::vector<QVRTallixNumber> constants;
  if (auto unknown = typer.keyTypes(text, keys, constants)) {
    unknownWord = std::move(*unknown);
    return std::nullopt;
  }
  QVRTallixExpression expression;
  expression.setRadMode(radians);
  TallixKeyTyper::handleKeys(expression, keys, constants);
  std::string line = expression.stringDescription();
  // Printed as without --save: the Equal that saving appends changes the result of a line that
  // ends with an operator ("85÷" prints 85, the tape keeps "85 ÷ =").
  if (tapeEntries) tapeEntries->push_back(expression.tapeEntry());
  return line;
}

int EvalCommand::run(TallixIO& io) {
  const std::vector<std::string> arguments =
      _command ? _command->remaining() : std::vector<std::string>();
  bool radians = false;
  bool save = false;
  bool optionsEnded = false;
  std::vector<std::string> expressions;
  for (const std::string& argument : arguments) {
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument == "--radians") {
      radians = true;
    } else if (!optionsEnded && argument == "--save") {
      save = true;
    } else if (!optionsEnded && argument.starts_with("--")) {
      io.writeError(
          fmt::format("tallix eval: unknown option '{}' (see 'tallix eval --help')\n", argument));
      return TallixExitCode::usage;
    } else {
      expressions.push_back(argument);
    }
  }

  const TallixKeyTyper typer;
  std::vector<QVRTallixKeyType> keys;
  std::string unknownWord;
  // Saved as one change at the end: one addition at a time would copy the whole tape for each
  // line. Nothing reaches the disk before the program ends in either case.
  QVRTallixTape::ExpressionList tapeEntries;
  int status = TallixExitCode::success;
  const auto evaluate = [&](std::string_view text) {
    if (auto line =
            evaluatedLine(text, radians, typer, keys, unknownWord, save ? &tapeEntries : nullptr)) {
      line->push_back('\n');
      io.write(*line);
    } else {
      io.writeError(
          fmt::format("tallix eval: {}\n", TallixKeyTyper::unknownWordMessage(unknownWord, text)));
      status = TallixExitCode::usage;
    }
  };
  if (expressions.empty()) {
    while (const auto line = io.readLine()) evaluate(*line);
  } else {
    for (const std::string& expression : expressions) evaluate(expression);
  }
  if (save) QVRTallixTape::tape().addExpressions(tapeEntries);
  return status;
}

}  // namespace tallix
