#include "tallix/ConvertCommand.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <optional>
#include <variant>
#include <vector>

#include "common/QVREnvironment.h"
#include "tallix/RatesCommand.h"
#include "tallix/TallixNumberArgument.h"
#include "tallix/TallixUnitLookup.h"
#include "units/QVRTallixCurrencyUnit.h"
#include "units/QVRTallixCurrencyUnitCategory.h"
#include "units/QVRTallixUnit.h"
#include "units/QVRTallixUnitCategory.h"

namespace tallix {

namespace {

constexpr std::string_view kUsageLine = "usage: tallix convert VALUE FROM TO [--category NAME]";

int usageError(const std::string& message, TallixIO& io) {
  io.writeError("tallix convert: " + message + "\n" + std::string(kUsageLine) + "\n");
  return TallixExitCode::usage;
}

int fail(const std::string& message, TallixIO& io) {
  io.writeError("tallix convert: " + message + "\n");
  return TallixExitCode::usage;
}

// Whether an argument that starts with "-" is a negative value rather than an option: a digit
// (of any script), "." or "," follows.
bool looksLikeNumber(std::string_view argument) {
  if (argument.size() < 2) return false;
  const char second = argument[1];
  if (second == '.' || second == ',') return true;
  std::int32_t index = 1;
  UChar32 character = 0;
  U8_NEXT(argument.data(), index, static_cast<std::int32_t>(argument.size()), character);
  return character >= 0 && u_isdigit(character);
}

struct Resolved {
  QVRTallixUnit* from = nullptr;
  QVRTallixUnit* to = nullptr;
};

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const auto& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

// The names of those categories that have one.
std::string namesOf(const std::vector<QVRTallixUnitCategory*>& categories) {
  std::vector<std::string> names;
  for (const QVRTallixUnitCategory* category : categories) {
    if (category->name()) names.push_back(*category->name());
  }
  return joined(names);
}

// The two units, from the one category in which both texts name a unit; or the message that
// says why there is none.
std::variant<Resolved, std::string> resolve(const std::string& fromText, const std::string& toText,
                                            const std::vector<QVRTallixUnitCategory*>& categories,
                                            bool restricted) {
  std::vector<Resolved> candidates;
  std::vector<QVRTallixUnitCategory*> candidateCategories, fromCategories, toCategories;
  std::vector<std::string> ambiguities;
  for (QVRTallixUnitCategory* category : categories) {
    const auto fromMatch = TallixUnitLookup::match(fromText, *category);
    const auto toMatch = TallixUnitLookup::match(toText, *category);
    if (!fromMatch.isNone()) fromCategories.push_back(category);
    if (!toMatch.isNone()) toCategories.push_back(category);
    for (const auto& [text, match] :
         {std::pair(&fromText, &fromMatch), std::pair(&toText, &toMatch)}) {
      if (!match->isAmbiguous()) continue;
      std::vector<std::string> labels;
      for (const QVRTallixUnit* unit : match->units) {
        labels.push_back(TallixUnitLookup::label(*unit));
      }
      ambiguities.push_back("'" + *text + "' is ambiguous in " + category->name().value_or("?") +
                            ": it names " + joined(labels));
    }
    if (fromMatch.isUnit() && toMatch.isUnit()) {
      candidates.push_back({fromMatch.units.front(), toMatch.units.front()});
      candidateCategories.push_back(category);
    }
  }
  if (candidates.size() == 1) return candidates.front();
  if (candidates.size() > 1) {
    return "'" + fromText + "' and '" + toText + "' name units of several categories (" +
           namesOf(candidateCategories) + "); choose one with --category NAME";
  }
  const std::string scope = restricted && !categories.empty()
                                ? " in the category " + categories.front()->name().value_or("?")
                                : "";
  if (fromCategories.empty()) {
    return "unknown unit '" + fromText + "'" + scope + "; 'tallix units CATEGORY' lists the units";
  }
  if (toCategories.empty()) {
    return "unknown unit '" + toText + "'" + scope + "; 'tallix units CATEGORY' lists the units";
  }
  if (!ambiguities.empty()) return ambiguities.front() + "; use the unit's name or symbol";
  return "'" + fromText + "' (" + namesOf(fromCategories) + ") and '" + toText + "' (" +
         namesOf(toCategories) + ") are not units of one category";
}

}  // namespace

std::string ConvertCommand::usage() const {
  return R"USAGE(usage: tallix convert VALUE FROM TO [--category NAME]

Converts VALUE from the unit FROM to the unit TO and prints the result with the
target unit's symbol (for example: tallix convert 100 °C °F prints "212 °F").

VALUE is read in your locale (LC_ALL, LC_NUMERIC, LANG): its decimal separator, its
grouping separator between groups of three digits, and a leading minus sign ("-40",
"1,234.5"; "1.234,5" and "1,5" in German).

FROM and TO name a unit of one category, in this order of preference:
  1. its name exactly, as 'tallix units CATEGORY' lists it ("meter", "gallon-us");
  2. its symbol exactly, case included ("Mbit" is the megabit, "MB" the megabyte);
  3. its name, symbol, title or title with modifier, ignoring case ("Gallon (US)").
When the two units fit more than one category, choose one with --category.

Options:
  --category NAME   look for the units in this category only (name or title)
  -h, --help        show this help

Currencies ("tallix convert 100 USD EUR") convert by the cached exchange rates, or the
bundled snapshot before the first download, and the result says the date of the rates
(and their age when they are more than 7 days old). convert never downloads: 'tallix
rates update' does.

Exit status: 0 done; 1 a currency without an exchange rate; 2 bad usage, a value that is
no number, or a unit or category that is unknown or ambiguous.
)USAGE";
}

void ConvertCommand::configure(CLI::App& command) {
  command.allow_extras();
  _command = &command;
}

int ConvertCommand::run(TallixIO& io) {
  const std::vector<std::string> arguments =
      _command ? _command->remaining() : std::vector<std::string>();
  std::vector<std::string> positional;
  std::optional<std::string> categoryName;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (argument == "--category") {
      if (index + 1 >= arguments.size()) return usageError("--category needs a category name", io);
      categoryName = arguments[++index];
    } else if (argument.starts_with("--category=")) {
      categoryName = argument.substr(std::string_view("--category=").size());
    } else if (argument.starts_with("-") && argument.size() > 1 && !looksLikeNumber(argument)) {
      return usageError("unknown option '" + argument + "'", io);
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.size() != 3) {
    return usageError("expected VALUE FROM TO, got " + std::to_string(positional.size()) +
                          " argument" + (positional.size() == 1 ? "" : "s"),
                      io);
  }
  const std::string& valueText = positional[0];
  const auto value = TallixNumberArgument::read(valueText);
  if (!value) {
    return fail("'" + valueText + "' is not a number in the locale " +
                    QVREnvironment::current().localeIdentifier(),
                io);
  }

  std::vector<QVRTallixUnitCategory*> categories = QVRTallixUnitCategory::allCategories();
  if (categoryName) {
    QVRTallixUnitCategory* category = TallixUnitLookup::category(*categoryName);
    if (!category) {
      return fail("unknown category '" + *categoryName +
                      "'; the categories are: " + TallixUnitLookup::categoryNames(),
                  io);
    }
    categories = {category};
  }
  const auto resolved = resolve(positional[1], positional[2], categories, categoryName.has_value());
  if (const auto* message = std::get_if<std::string>(&resolved)) return fail(*message, io);
  const Resolved& units = std::get<Resolved>(resolved);
  const bool currencies = dynamic_cast<const QVRTallixCurrencyUnit*>(units.from) ||
                          dynamic_cast<const QVRTallixCurrencyUnit*>(units.to);
  for (const QVRTallixUnit* unit : {units.from, units.to}) {
    if (currencies && !unit->isValid()) {
      io.writeError("tallix convert: no exchange rate for " + unit->symbol() +
                    "; 'tallix rates update' downloads the rates\n");
      return TallixExitCode::failure;
    }
  }
  const QVRTallixNumber number(*value);
  const QVRTallixNumber result = QVRTallixUnit::convertNumber(&number, units.from, units.to)
                                     .value_or(QVRTallixNumber(QVRTallixDecimal::zero()));
  std::string line = units.to->formatedStringForNumber(result);
  // A currency result says how old its rates are: the cached ones, never a download.
  if (currencies) {
    line += "  (" +
            RatesCommand::ratesNote(QVRTallixCurrencyUnitCategory::currencyUpdateDate(),
                                    QVREnvironment::current().runLoop().now()) +
            ")";
  }
  io.write(line + "\n");
  return TallixExitCode::success;
}

}  // namespace tallix
