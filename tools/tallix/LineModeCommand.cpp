#include "tallix/LineModeCommand.h"

#include <fmt/format.h>
#include <CLI/CLI.hpp>
#include <memory>
#include <vector>

#include "common/QVREnvironment.h"
#include "expression/QVRTallixExpression.h"
#include "tallix/TallixCalculatorOptions.h"
#include "tallix/TallixKeyTyper.h"

namespace tallix {

namespace {

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string LineModeCommand::usage() const {
  return fmt::format(R"USAGE(usage: tallix [--radians]
       tallix lines [--radians]

A calculator on the terminal: type keys (as for 'tallix eval') and press Enter to see the
expression and its result. The result stays: '*2' goes on from it, a digit starts a new
calculation, 'C' clears. 'help' shows this text, 'quit' (or the end of input) ends.
Each finished calculation is saved to the tape ('tallix tape' lists it). The expression on
the display is kept in the application-support directory and comes back at the next start;
Control-C leaves too, keeping it.

{}
Options:
  --radians   angles in radians (default: degrees)
  --help      this text
)USAGE",
                     TallixKeyTyper::keysHelp());
}

void LineModeCommand::configure(CLI::App& command) {
  command.allow_extras();
  _command = &command;
}

int LineModeCommand::run(TallixIO& io) {
  const std::vector<std::string> arguments =
      _command ? _command->remaining() : std::vector<std::string>();
  const std::optional<bool> radians = TallixCalculatorOptions::radians(arguments, {}, "tallix", io);
  if (!radians) return TallixExitCode::usage;

  QVREnvironment& environment = QVREnvironment::current();
  const bool terminal =
      io.beginInteractiveInput(prompt, environment.applicationSupportDirectory() / historyFileName);
  if (*radians) QVRTallixExpression::currentExpression()->setRadMode(true);
  if (terminal) {
    // Someone at a terminal sees what the next line goes on from.
    io.write(fmt::format(
        "On the display: {}. Type keys and press Enter; 'help' lists the keys, 'quit' leaves.\n",
        QVRTallixExpression::currentExpression()->result().formattedString()));
  }
  const TallixKeyTyper typer;
  std::vector<QVRTallixKeyType> keys;
  std::vector<QVRTallixNumber> constants;
  while (const auto line = io.readLine()) {
    const std::string_view command = trimmed(*line);
    if (command == "quit" || command == "exit" || command == "q") break;
    if (command == "help" || command == "?") {
      io.write(usage());
      continue;
    }
    keys.clear();
    constants.clear();
    if (const auto unknown = typer.keyTypes(*line, keys, constants)) {
      io.writeError(fmt::format(
          "tallix: {}\n", TallixKeyTyper::unknownWordMessage(*unknown, *line, "type 'help'")));
      continue;
    }
    const std::shared_ptr<QVRTallixExpression> current = QVRTallixExpression::currentExpression();
    TallixKeyTyper::handleKeys(*current, keys, constants);
    std::string printed = current->stringDescription();
    printed += '\n';
    io.write(printed);
    // Enter was the Equal key: the result stays on the display as the next expression.
    auto next = std::make_shared<QVRTallixExpression>(current->result());
    next->setRadMode(current->radMode());
    // The finished calculation goes to the tape (which refuses a bare repeat of the last result),
    // after its line and result were taken: the Equal that saving appends changes the result of
    // a line that ends with an operator. A line that ends by clearing finished nothing.
    if (keys.empty() || keys.back() != QVRTallixKeyTypeClear) current->saveToTape();
    QVRTallixExpression::setCurrentExpression(std::move(next));
  }
  const int signal = io.interruptingSignal();
  return signal ? 128 + signal : TallixExitCode::success;
}

}  // namespace tallix
