#include "tallix/ConstantsCommand.h"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include "common/QVREnvironment.h"
#include "common/QVRRunLoop.h"
#include "common/QVRString.h"
#include "constants/QVRTallixConstantNumbersDocument.h"
#include "constants/QVRTallixCustomConstantNumber.h"
#include "constants/QVRTallixGlobalConstantNumber.h"
#include "tallix/TallixConstantLookup.h"
#include "tallix/TallixDocumentWait.h"
#include "tallix/TallixNumberArgument.h"
#include "tallix/TallixUnitLookup.h"

namespace tallix {

namespace {

using tallix::detail::QVRTallixConstantNumbersDocument;

constexpr std::string_view kUsageLines =
    "usage: tallix constants [--all]\n"
    "       tallix constants add TITLE VALUE | remove REF | rename REF TITLE | hide REF | show REF";

int usageError(std::string_view message, TallixIO& io) {
  io.writeError(fmt::format("tallix constants: {}\n{}\n", message, kUsageLines));
  return TallixExitCode::usage;
}

int refused(std::string_view message, TallixIO& io) {
  io.writeError(fmt::format("tallix constants: {}\n", message));
  return TallixExitCode::failure;
}

// The document, once its first poll has ended.
QVRTallixConstantNumbersDocument& openedDocument() {
  auto& document = QVRTallixConstantNumbersDocument::constantNumbersDocument();
  TallixDocumentWait::untilPolled(document);
  return document;
}

// Writes the changes now and hands them to the store, rather than 10 seconds later.
void saveChanges() {
  auto& document = QVRTallixConstantNumbersDocument::constantNumbersDocument();
  if (!document.needsToSave()) return;
  // The save timers run at termination; the program's own termination finds nothing left.
  QVREnvironment::current().runLoop().terminate();
  TallixDocumentWait::whileBusy([&] { return document.isPosting(); });
}

// A title can be typed back in braces: one line of clean text without braces.
std::optional<std::string> titleProblem(const std::string& title) {
  if (title.find_first_not_of(' ') == std::string::npos) return "a title cannot be blank";
  if (!QVRString::isValidUTF8(title)) return "a title must be UTF-8 text";
  if (title.find_first_of("{}\n\r\t") != std::string::npos ||
      title.find('\0') != std::string::npos) {
    return "a title cannot hold braces, tabs or line breaks";
  }
  if (title.front() == ' ' || title.back() == ' ')
    return "a title cannot begin or end with a blank";
  return std::nullopt;
}

std::string valueText(const QVRTallixConstantNumber& constant) {
  return constant.tallixNumber().formattedString();
}

}  // namespace

std::string ConstantsCommand::usage() const {
  return R"USAGE(usage: tallix constants [--all]
       tallix constants add TITLE VALUE
       tallix constants remove REF
       tallix constants rename REF TITLE
       tallix constants hide REF
       tallix constants show REF

Without a subcommand, lists the constants by title, built-in and your own: number,
value and title. Hidden built-in constants are left out; --all lists them too, marked
"hidden".

  add TITLE VALUE    adds a constant of your own. VALUE is a plain number written in
                     your locale, as for 'tallix convert' (no expression); TITLE must
                     not be taken by another constant and cannot hold braces.
  remove REF         removes one of your constants.
  rename REF TITLE   gives one of your constants a new title.
  hide REF           hides a built-in constant from the list; your own constants are
  show REF           always shown. 'show' brings a hidden one back.

REF is a title (or a built-in constant's name, e.g. "Pi"), the number the constant is
listed under, or the uuid of one of your constants.

Use a constant in a calculation by its title in braces: tallix eval '{g} * 2'.
Your constants are kept in the folder "Main.customConstants" of tallix's documents
directory and synchronised through the store that 'tallix sync status' shows.

Options:
  --all        list the hidden constants too
  -h, --help   show this help

Exit status: 0 done; 1 an unknown or ambiguous REF, or a change refused; 2 bad usage.
)USAGE";
}

void ConstantsCommand::configure(CLI::App& command) {
  command.allow_extras();
  _command = &command;
}

int ConstantsCommand::run(TallixIO& io) {
  std::vector<std::string> arguments =
      _command ? _command->remaining() : std::vector<std::string>();
  if (arguments.empty() || arguments == std::vector<std::string>{"--all"}) {
    return list(!arguments.empty(), io);
  }
  const std::string action = arguments.front();
  arguments.erase(arguments.begin());
  if (action == "add") return add(arguments, io);
  if (action == "remove" || action == "rename" || action == "hide" || action == "show") {
    return edit(action, arguments, io);
  }
  return usageError(action.starts_with("-") ? "unknown option '" + action + "'"
                                            : "unknown subcommand '" + action + "'",
                    io);
}

int ConstantsCommand::list(bool all, TallixIO& io) const {
  openedDocument();
  std::vector<std::vector<std::string>> rows{{"NO", "VALUE", "TITLE", "NOTES"}};
  std::size_t number = 0;
  for (const auto& constant : TallixConstantLookup::all()) {
    ++number;
    const bool hidden = TallixConstantLookup::isHidden(*constant);
    if (hidden && !all) continue;
    std::string notes = TallixConstantLookup::isBuiltIn(*constant) ? "built-in" : "yours";
    if (hidden) notes += ", hidden";
    rows.push_back({std::to_string(number), valueText(*constant), constant->title(), notes});
  }
  io.write(TallixUnitLookup::table(rows));
  return TallixExitCode::success;
}

int ConstantsCommand::add(const std::vector<std::string>& arguments, TallixIO& io) const {
  if (arguments.size() != 2) return usageError("add expects TITLE VALUE", io);
  const std::string& title = arguments[0];
  if (const auto problem = titleProblem(title)) return refused(*problem, io);
  const auto value = TallixNumberArgument::read(arguments[1]);
  if (!value) {
    return refused(fmt::format("'{}' is not a number in the locale {}", arguments[1],
                               QVREnvironment::current().localeIdentifier()),
                   io);
  }
  openedDocument();
  const auto taken = TallixConstantLookup::titled(title);
  if (const auto* constant = std::get_if<TallixConstantLookup::Constant>(&taken)) {
    return refused(
        fmt::format("the title '{}' is taken by the constant '{}'", title, (*constant)->title()),
        io);
  }
  auto constant = std::make_shared<QVRTallixCustomConstantNumber>(title, QVRTallixNumber(*value));
  QVRTallixCustomConstantNumber::addConstant(constant);
  saveChanges();
  io.write(fmt::format("added {} = {}\n", constant->title(), valueText(*constant)));
  return TallixExitCode::success;
}

int ConstantsCommand::edit(const std::string& action, const std::vector<std::string>& arguments,
                           TallixIO& io) const {
  const std::size_t expected = action == "rename" ? 2 : 1;
  if (arguments.size() != expected) {
    return usageError(action + (expected == 2 ? " expects REF TITLE" : " expects REF"), io);
  }
  openedDocument();
  const auto found = TallixConstantLookup::referenced(arguments[0]);
  if (const auto* message = std::get_if<std::string>(&found)) return refused(*message, io);
  const auto& constant = std::get<TallixConstantLookup::Constant>(found);
  auto* builtIn = dynamic_cast<QVRTallixGlobalConstantNumber*>(constant.get());
  auto* custom = dynamic_cast<QVRTallixCustomConstantNumber*>(constant.get());

  if (action == "hide" || action == "show") {
    if (!builtIn) {
      return refused(fmt::format("'{}' is one of your constants, which are always shown; "
                                 "remove it with 'tallix constants remove'",
                                 constant->title()),
                     io);
    }
    builtIn->setHidden(action == "hide");
    io.write(fmt::format("{} {}\n", action == "hide" ? "hidden" : "shown", builtIn->title()));
    return TallixExitCode::success;
  }
  if (!custom) {
    return refused(fmt::format("'{}' is a built-in constant, which cannot be {}d; hide it with "
                               "'tallix constants hide'",
                               constant->title(), action == "remove" ? "remove" : "rename"),
                   io);
  }
  if (action == "remove") {
    QVRTallixCustomConstantNumber::removeConstant(*custom);
    saveChanges();
    io.write(fmt::format("removed {}\n", custom->title()));
    return TallixExitCode::success;
  }
  const std::string& title = arguments[1];
  if (const auto problem = titleProblem(title)) return refused(*problem, io);
  const auto taken = TallixConstantLookup::titled(title);
  const auto* other = std::get_if<TallixConstantLookup::Constant>(&taken);
  if (other && other->get() != custom) {
    return refused(
        fmt::format("the title '{}' is taken by the constant '{}'", title, (*other)->title()), io);
  }
  // The constant keeps its identifier, so the list compares equal: the change is saved and
  // uploaded on purpose, and the other devices take the new title with the server's list.
  const std::string oldTitle = custom->title();
  custom->setTitle(title);
  QVRTallixConstantNumbersDocument::constantNumbersDocument().setNeedsToSave(true);
  saveChanges();
  io.write(fmt::format("renamed {} to {}\n", oldTitle, title));
  return TallixExitCode::success;
}

}  // namespace tallix
