#include "tallix/TapeCommand.h"

#include <fmt/format.h>
#include <CLI/CLI.hpp>
#include <algorithm>
#include <nlohmann/json.hpp>

#include "expression/QVRTallixExpression.h"
#include "tallix/TallixDocumentWait.h"
#include "tallix/TallixText.h"
#include "tape/QVRTallixTape.h"

namespace tallix {

namespace {

constexpr std::string_view kListUsage = R"USAGE(usage: tallix tape [--favorites] [--last N] [--json]
       tallix tape favorite|unfavorite|remove REF
       tallix tape remove-non-favorites|clear
       tallix tape export --csv

Lists the tape: the calculations saved by the line-mode calculator (each Enter) and by
'tallix eval --save', oldest first, numbered from 1, each as 'tallix eval' prints it.
Favorites are marked with '*' after the number:

    $ tallix tape
    1   2 + 3 × 4 = 14
    2 * 5! + 2 = 122

The tape is the document "Tallix.tape" in the documents directory
($XDG_DATA_HOME/tallix/Documents) and is synchronised like the custom constants
(see 'tallix sync status').

REF names an entry: its number in the full listing, its uuid, or a unique prefix of at
least 6 characters of the uuid ('tallix tape --json' shows them).

Options:
  --favorites   only the favorites (with their numbers on the tape)
  --last N      only the last N entries listed
  --json        an array of objects: number, uuid, text, result, favorite
  --help        this text; 'tallix tape COMMAND --help' for a subcommand's

Exit status: 0 done; 1 for an unknown REF; 2 for bad usage.
)USAGE";

struct Subcommand {
  std::string_view name;
  bool takesReference;
  std::string_view help;
};

constexpr Subcommand kSubcommands[] = {
    {"favorite", true, "usage: tallix tape favorite REF\n\nMarks the entry REF as a favorite.\n"},
    {"unfavorite", true,
     "usage: tallix tape unfavorite REF\n\nRemoves the favorite mark of the entry REF.\n"},
    {"remove", true,
     "usage: tallix tape remove REF\n\nRemoves the entry REF from the tape (and from the "
     "favorites).\n"},
    {"remove-non-favorites", false,
     "usage: tallix tape remove-non-favorites\n\nRemoves every entry that is not a favorite.\n"},
    {"clear", false, "usage: tallix tape clear\n\nRemoves every entry, favorites too.\n"},
    {"export", false,
     "usage: tallix tape export --csv\n\nWrites the tape as CSV (RFC 4180): the line "
     "'expression,result', then one line per entry,\noldest first; fields with a comma, a "
     "quote or a line break are quoted, quotes doubled;\nlines end with CR LF.\n"},
};

const Subcommand* subcommandNamed(std::string_view name) {
  for (const Subcommand& subcommand : kSubcommands) {
    if (subcommand.name == name) return &subcommand;
  }
  return nullptr;
}

// The expression's text without its result, and its result, as eval prints them together.
std::pair<std::string, std::string> textAndResult(const QVRTallixExpression& expression) {
  const std::string line = expression.stringDescription();
  const std::string result = expression.result().formattedString();
  const std::size_t end = line.size() - std::min(line.size(), result.size() + 3);
  return {line.substr(0, end), result};
}

int usageError(TallixIO& io, std::string_view message) {
  io.writeError(fmt::format("tallix tape: {} (see 'tallix tape --help')\n", message));
  return TallixExitCode::usage;
}

// The shared tape, once its first poll has ended, so that the listing and the numbers of
// entries include what other machines saved.
QVRTallixTape& openedTape() {
  QVRTallixTape& tape = QVRTallixTape::tape();
  TallixDocumentWait::untilPolled(tape);
  return tape;
}

}  // namespace

std::string TapeCommand::usage() const {
  const std::vector<std::string> arguments =
      _command ? _command->remaining() : std::vector<std::string>();
  if (!arguments.empty()) {
    if (const Subcommand* subcommand = subcommandNamed(arguments.front())) {
      return std::string(subcommand->help);
    }
  }
  return std::string(kListUsage);
}

void TapeCommand::configure(CLI::App& command) {
  command.allow_extras();
  _command = &command;
}

std::string TapeCommand::csvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char character : text) {
    if (character == '"') quoted += '"';
    quoted += character;
  }
  return quoted + "\"";
}

TapeCommand::Lookup TapeCommand::lookup(const QVRTallixTape& tape, std::string_view reference) {
  const auto& expressions = tape.expressions();
  if (const auto number = wholeNumber(reference)) {
    if (*number >= 1 && *number <= expressions.size()) return {expressions[*number - 1], {}};
    return {nullptr,
            fmt::format("no entry {} on the tape (it holds {})", reference, expressions.size())};
  }
  if (reference.size() < minimumPrefixLength) {
    return {nullptr, fmt::format("'{}' is no entry number and too short for a uuid prefix "
                                 "(at least {} characters)",
                                 reference, minimumPrefixLength)};
  }
  QVRTallixTape::Expression found;
  for (const auto& expression : expressions) {
    const std::string& uuid = expression->uuid();
    if (!hasPrefixIgnoringASCIICase(uuid, reference)) continue;
    if (uuid.size() == reference.size()) return {expression, {}};
    if (found && !found->isEqual(*expression)) {
      return {nullptr,
              fmt::format("'{}' names more than one entry; give more of the uuid", reference)};
    }
    found = expression;
  }
  if (!found) return {nullptr, fmt::format("no entry on the tape has a uuid '{}'", reference)};
  return {found, {}};
}

int TapeCommand::run(TallixIO& io) {
  const std::vector<std::string> arguments =
      _command ? _command->remaining() : std::vector<std::string>();
  const Subcommand* subcommand = arguments.empty() ? nullptr : subcommandNamed(arguments.front());
  if (!subcommand) {
    if (!arguments.empty() && !arguments.front().starts_with("-")) {
      return usageError(io, fmt::format("unknown subcommand '{}'", arguments.front()));
    }
    return list(arguments, io);
  }
  const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
  if (subcommand->name == "export") return exportCSV(rest, io);
  if (rest.size() != (subcommand->takesReference ? 1U : 0U)) {
    return usageError(io, subcommand->takesReference
                              ? fmt::format("{} takes one REF", subcommand->name)
                              : fmt::format("{} takes no arguments", subcommand->name));
  }
  QVRTallixTape& tape = openedTape();
  if (subcommand->name == "clear") {
    tape.removeAllExpressions();
    return TallixExitCode::success;
  }
  if (subcommand->name == "remove-non-favorites") {
    tape.removeAllNonFavoriteExpressions();
    return TallixExitCode::success;
  }
  const Lookup found = lookup(tape, rest.front());
  if (!found.expression) {
    io.writeError(fmt::format("tallix tape {}: {}\n", subcommand->name, found.error));
    return TallixExitCode::failure;
  }
  if (subcommand->name == "favorite") {
    if (!tape.expressionIsFavorite(*found.expression)) tape.addFavorite(found.expression);
  } else if (subcommand->name == "unfavorite") {
    tape.removeFavorite(found.expression);
  } else {
    tape.removeExpression(found.expression);
  }
  return TallixExitCode::success;
}

int TapeCommand::list(const std::vector<std::string>& options, TallixIO& io) const {
  bool favoritesOnly = false;
  bool json = false;
  std::optional<std::uint64_t> last;
  for (std::size_t index = 0; index < options.size(); ++index) {
    const std::string& option = options[index];
    if (option == "--favorites") {
      favoritesOnly = true;
    } else if (option == "--json") {
      json = true;
    } else if (option == "--last" || option.starts_with("--last=")) {
      std::string value;
      if (option == "--last") {
        if (index + 1 == options.size()) return usageError(io, "--last needs a number");
        value = options[++index];
      } else {
        value = option.substr(7);
      }
      const auto count = wholeNumber(value);
      if (!count) return usageError(io, fmt::format("--last needs a number, not '{}'", value));
      last = *count;
    } else {
      return usageError(io, fmt::format("unknown option '{}'", option));
    }
  }

  const QVRTallixTape& tape = openedTape();
  struct Entry {
    std::uint64_t number;
    const QVRTallixExpression* expression;
    bool favorite;
  };
  std::vector<Entry> entries;
  std::uint64_t number = 0;
  for (const auto& expression : tape.expressions()) {
    ++number;
    const bool favorite = tape.expressionIsFavorite(*expression);
    if (favorite || !favoritesOnly) entries.push_back({number, expression.get(), favorite});
  }
  if (last && *last < entries.size()) {
    entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(*last));
  }

  if (json) {
    nlohmann::json array = nlohmann::json::array();
    for (const Entry& entry : entries) {
      auto [text, result] = textAndResult(*entry.expression);
      array.push_back({{"number", entry.number},
                       {"uuid", entry.expression->uuid()},
                       {"text", std::move(text)},
                       {"result", std::move(result)},
                       {"favorite", entry.favorite}});
    }
    io.write(array.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    return TallixExitCode::success;
  }
  const std::size_t width = fmt::formatted_size("{}", tape.expressionCount());
  std::string text;
  for (const Entry& entry : entries) {
    text += fmt::format("{:>{}} {} {}\n", entry.number, width, entry.favorite ? favoriteMark : " ",
                        entry.expression->stringDescription());
  }
  io.write(text);
  return TallixExitCode::success;
}

int TapeCommand::exportCSV(const std::vector<std::string>& options, TallixIO& io) const {
  if (options != std::vector<std::string>{"--csv"}) {
    return usageError(io, "export needs --csv (the one format there is)");
  }
  std::string text = "expression,result\r\n";
  for (const auto& expression : openedTape().expressions()) {
    const auto [expressionText, result] = textAndResult(*expression);
    text += csvField(expressionText) + "," + csvField(result) + "\r\n";
  }
  io.write(text);
  return TallixExitCode::success;
}

}  // namespace tallix
