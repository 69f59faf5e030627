#include "tallix/TallixCommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "tallix/ConstantsCommand.h"
#include "tallix/ConvertCommand.h"
#include "tallix/EvalCommand.h"
#include "tallix/LineModeCommand.h"
#include "tallix/RatesCommand.h"
#include "tallix/RenderCommand.h"
#include "tallix/SyncCommand.h"
#include "tallix/TallixSiblingProgram.h"
#include "tallix/TapeCommand.h"
#include "tallix/UnitsCommand.h"
#include "tallix/tui/TuiCommand.h"

namespace tallix {

namespace {

// The names of the commands that run when no command is given: the full-screen calculator at a
// terminal, the line-mode calculator everywhere else (pipes, scripts).
constexpr std::string_view lineModeName = "lines";
constexpr std::string_view fullScreenName = "tui";
constexpr std::string_view fullScreenOption = "--tui";

bool isHelp(const std::string& argument) {
  return argument == "--help" || argument == "-h" || argument == "help";
}

// One line out of CLI11's message for a parse error.
std::string parseErrorText(const CLI::ParseError& error) {
  std::string text = error.what();
  const auto lineEnd = text.find('\n');
  if (lineEnd != std::string::npos) text.resize(lineEnd);
  const std::string extras = "The following argument was not expected: ";
  const std::string extrasPlural = "The following arguments were not expected: ";
  if (text.rfind(extras, 0) == 0) return "unexpected argument '" + text.substr(extras.size()) + "'";
  if (text.rfind(extrasPlural, 0) == 0)
    return "unexpected arguments " + text.substr(extrasPlural.size());
  return text;
}

}  // namespace

TallixCommandLine::TallixCommandLine(std::vector<std::unique_ptr<TallixCommand>> commands)
    : _commands(std::move(commands)) {}

TallixCommand* TallixCommandLine::command(const std::string& name) const {
  auto found = std::find_if(_commands.begin(), _commands.end(),
                            [&](const auto& command) { return command->name() == name; });
  return found == _commands.end() ? nullptr : found->get();
}

std::string TallixCommandLine::overview() const {
  std::string text = "usage: tallix [COMMAND] [ARGUMENTS…]\n\nCommands:\n";
  for (const auto& command : _commands) {
    std::string name(command->name());
    name.resize(std::max<std::size_t>(name.size() + 1, 10), ' ');
    text += "  " + name + std::string(command->summary()) + "\n";
  }
  text +=
      "\nWithout a command, tallix runs the full-screen calculator at a terminal ('tallix tui' "
      "or 'tallix --tui')\nand the line-mode calculator otherwise ('tallix lines').\n";
  text +=
      "Run 'tallix COMMAND --help' for a command's own options; 'tallix --version' for the "
      "version.\n";
  return text;
}

int TallixCommandLine::run(const std::vector<std::string>& arguments, TallixIO& io) {
  // Options may stand before the command ("tallix --radians eval …"); they are the command's.
  std::size_t first = 0;
  bool fullScreen = false;
  while (first < arguments.size() && arguments[first].rfind("--", 0) == 0 &&
         arguments[first] != "--help" && arguments[first] != "--version") {
    fullScreen |= arguments[first] == fullScreenOption;
    ++first;
  }
  if (fullScreen) {
    if (TallixCommand* tui = command(std::string(fullScreenName))) {
      std::vector<std::string> rest;
      for (const std::string& argument : arguments) {
        if (argument != fullScreenOption) rest.push_back(argument);
      }
      return runCommand(*tui, std::move(rest), io);
    }
  }
  if (first < arguments.size()) {
    const std::string& word = arguments[first];
    if (TallixCommand* named = command(word)) {
      std::vector<std::string> rest(arguments.begin(), arguments.begin() + first);
      rest.insert(rest.end(), arguments.begin() + first + 1, arguments.end());
      return runCommand(*named, std::move(rest), io);
    }
    if (first == 0 && isHelp(word)) {
      io.write(overview());
      return TallixExitCode::success;
    }
    if (first == 0 && word == "--version") {
      io.write(std::string(TallixVersionString) + "\n");
      return TallixExitCode::success;
    }
    if (word.rfind("-", 0) != 0) {
      io.writeError("tallix: unknown command '" + word + "' (see 'tallix --help')\n");
      return TallixExitCode::usage;
    }
  }
  TallixCommand* calculator = io.isTerminal() ? command(std::string(fullScreenName)) : nullptr;
  if (!calculator) calculator = command(std::string(lineModeName));
  if (!calculator) {
    io.write(overview());
    return TallixExitCode::success;
  }
  return runCommand(*calculator, arguments, io);
}

int TallixCommandLine::runCommand(TallixCommand& command, std::vector<std::string> arguments,
                                  TallixIO& io) {
  const std::string prefix = "tallix " + std::string(command.name()) + ": ";
  CLI::App parser("tallix " + std::string(command.name()));
  parser.set_help_flag();
  bool help = false;
  parser.add_flag("-h,--help", help);
  command.configure(parser);
  std::reverse(arguments.begin(), arguments.end());  // CLI11 takes them last first
  try {
    parser.parse(arguments);
  } catch (const CLI::ParseError& error) {
    if (help) {
      io.write(command.usage());
      return TallixExitCode::success;
    }
    io.writeError(prefix + parseErrorText(error) + " (see 'tallix " + std::string(command.name()) +
                  " --help')\n");
    return TallixExitCode::usage;
  }
  if (help) {
    io.write(command.usage());
    return TallixExitCode::success;
  }
  return command.run(io);
}

std::vector<std::unique_ptr<TallixCommand>> TallixCommandLine::defaultCommands() {
  std::vector<std::unique_ptr<TallixCommand>> commands;
  commands.push_back(std::make_unique<EvalCommand>());
  commands.push_back(std::make_unique<LineModeCommand>());
  commands.push_back(std::make_unique<TuiCommand>());
  commands.push_back(std::make_unique<ConvertCommand>());
  commands.push_back(std::make_unique<UnitsCommand>());
  commands.push_back(std::make_unique<RatesCommand>());
  commands.push_back(std::make_unique<ConstantsCommand>());
  commands.push_back(std::make_unique<SyncCommand>());
  commands.push_back(std::make_unique<TapeCommand>());
  commands.push_back(std::make_unique<RenderCommand>([](const std::vector<std::string>& arguments,
                                                        TallixIO& io) {
    std::vector<std::string> forwarded{"render"};
    forwarded.insert(forwarded.end(), arguments.begin(), arguments.end());
    return TallixSiblingProgram::replaceProcess("tallix-render", forwarded, "tallix render: ", io);
  }));
  return commands;
}

}  // namespace tallix
