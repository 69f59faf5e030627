#include "tallix/UnitsCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <vector>

#include "tallix/TallixUnitLookup.h"
#include "units/QVRTallixFormulaUnit.h"
#include "units/QVRTallixUnit.h"
#include "units/QVRTallixUnitCategory.h"

namespace tallix {

namespace {

constexpr std::string_view kUsageLine = "usage: tallix units [CATEGORY]";

std::string listCategories() {
  std::vector<std::vector<std::string>> rows{{"NAME", "TITLE", "UNITS"}};
  for (const QVRTallixUnitCategory* category : QVRTallixUnitCategory::allCategories()) {
    rows.push_back({category->name().value_or(""), category->title().value_or(""),
                    std::to_string(category->units().size())});
  }
  return TallixUnitLookup::table(rows);
}

// A base unit is one of the plain class itself, which converts by identity.
bool isBaseUnit(const QVRTallixUnit& unit) {
  return typeid(unit) == typeid(QVRTallixUnit);
}

std::string listUnits(const QVRTallixUnitCategory& category) {
  const auto& units = category.units();
  const auto base = std::find_if(units.begin(), units.end(),
                                 [](const QVRTallixUnit* unit) { return isBaseUnit(*unit); });
  std::string heading = category.title().value_or(category.name().value_or("")) + ": " +
                        std::to_string(units.size()) + " unit" + (units.size() == 1 ? "" : "s");
  if (base != units.end() && (*base)->name()) heading += ", base unit " + *(*base)->name();
  std::vector<std::vector<std::string>> rows{{"NAME", "SYMBOL", "TITLE", "NOTES"}};
  for (const QVRTallixUnit* unit : units) {
    std::string notes;
    if (isBaseUnit(*unit)) notes = "base";
    if (unit->isHidden()) notes += notes.empty() ? "hidden" : ", hidden";
    rows.push_back(
        {unit->name().value_or(""), unit->symbol(), unit->titleWithModifier().value_or(""), notes});
  }
  return heading + "\n" + TallixUnitLookup::table(rows);
}

}  // namespace

std::string UnitsCommand::usage() const {
  return R"USAGE(usage: tallix units [CATEGORY]

Without CATEGORY, lists the unit categories by title: name, title and number of units.
With CATEGORY (its name or title, ignoring case), lists its units from the smallest to
the largest: name, symbol and title; the notes mark the base unit, through which every
conversion passes, and the units hidden from the calculator's unit menus.

Options:
  -h, --help   show this help

Exit status: 0 done; 2 bad usage or an unknown category.
)USAGE";
}

void UnitsCommand::configure(CLI::App& command) {
  command.allow_extras();
  _command = &command;
}

int UnitsCommand::run(TallixIO& io) {
  const std::vector<std::string> arguments =
      _command ? _command->remaining() : std::vector<std::string>();
  const auto option =
      std::find_if(arguments.begin(), arguments.end(),
                   [](const std::string& argument) { return argument.starts_with("-"); });
  if (option != arguments.end()) {
    io.writeError("tallix units: unknown option '" + *option + "'\n" + std::string(kUsageLine) +
                  "\n");
    return TallixExitCode::usage;
  }
  if (arguments.size() > 1) {
    io.writeError("tallix units: expected at most one CATEGORY\n" + std::string(kUsageLine) + "\n");
    return TallixExitCode::usage;
  }
  if (arguments.empty()) {
    io.write(listCategories());
    return TallixExitCode::success;
  }
  const QVRTallixUnitCategory* category = TallixUnitLookup::category(arguments.front());
  if (!category) {
    io.writeError("tallix units: unknown category '" + arguments.front() +
                  "'; the categories are: " + TallixUnitLookup::categoryNames() + "\n");
    return TallixExitCode::usage;
  }
  io.write(listUnits(*category));
  return TallixExitCode::success;
}

}  // namespace tallix
