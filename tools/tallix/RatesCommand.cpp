#include "tallix/RatesCommand.h"

#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <array>
#include <cstdlib>
#include <vector>

#include "common/QVRConfiguration.h"
#include "common/QVREnvironment.h"
#include "common/QVRPollRunLoop.h"
#include "common/QVRVirtualRunLoop.h"
#include "units/QVRTallixCurrencyUnitCategory.h"

namespace tallix {

namespace {

using Clock = std::chrono::system_clock;
using Category = QVRTallixCurrencyUnitCategory;

constexpr std::array<std::string_view, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// "2026-12-06 05:53 UTC".
std::string timeText(Clock::time_point time) {
  const auto day = std::chrono::floor<std::chrono::days>(time);
  const std::chrono::year_month_day date(day);
  const std::chrono::hh_mm_ss clock(std::chrono::floor<std::chrono::minutes>(time - day));
  return fmt::format("{:04}-{:02}-{:02} {:02}:{:02} UTC", static_cast<int>(date.year()),
                     static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                     clock.hours().count(), clock.minutes().count());
}

// The run-time override of the source, when the environment variable is set.
void applyURLOverride() {
  const char* url = std::getenv(std::string(RatesCommand::urlVariable).c_str());
  if (url && *url) {
    QVRConfiguration::sharedConfiguration().setValue(Category::conversionRatesURLKey,
                                                     QVRPropertyList(std::string(url)));
  }
}

// Runs the main loop until `done` or the deadline: completions of downloads arrive through it.
void runUntil(const bool& done, Clock::duration timeout) {
  QVRRunLoop& loop = QVREnvironment::current().runLoop();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left <= std::chrono::milliseconds::zero()) return;
    if (auto* poll = dynamic_cast<QVRPollRunLoop*>(&loop)) {
      poll->runOnce(left);
    } else if (auto* virtualLoop = dynamic_cast<QVRVirtualRunLoop*>(&loop)) {
      if (virtualLoop->waitForDispatch(left)) virtualLoop->runPending();
    } else {
      return;
    }
  }
}

}  // namespace

std::string RatesCommand::dayText(Clock::time_point time) {
  const std::chrono::year_month_day date(std::chrono::floor<std::chrono::days>(time));
  return fmt::format("{} {} {}", static_cast<unsigned>(date.day()),
                     kMonths[(static_cast<unsigned>(date.month()) + 11) % 12],
                     static_cast<int>(date.year()));
}

std::string RatesCommand::ratesNote(std::optional<Clock::time_point> published,
                                    Clock::time_point now) {
  if (!published) return "no exchange rates";
  std::string note = "rates of " + dayText(*published);
  if (now - *published > std::chrono::days(7)) {
    note += fmt::format(" — {} days old",
                        std::chrono::floor<std::chrono::days>(now - *published).count());
  }
  return note;
}

std::string RatesCommand::usage() const {
  return R"USAGE(usage: tallix rates [update]

Without an argument, shows where the exchange rates come from, the date they were
published, the last successful download and the last error.

  update   downloads the rates now (waiting at most 30 s) and reports the outcome

The rates come from the configuration's "conversionRatesURL": by default the European
Central Bank's daily reference rates (HTTPS, XML, the euro as reference currency); a
server of the rates text (line 1 the publication time in seconds since 1970, then one
"CODE RATE" line per currency, RATE the value of one unit in the reference currency)
may stand in. The environment variable TALLIX_RATES_URL overrides it for one run.
Until the first download, conversions use the cached rates, or the bundled snapshot of
the bank's rates of 30 October 2026. 'tallix convert' never downloads by itself.

Exit status: 0 done; 1 the download failed; 2 bad usage.
)USAGE";
}

void RatesCommand::configure(CLI::App& command) {
  command.allow_extras();
  _command = &command;
}

int RatesCommand::run(TallixIO& io) {
  const std::vector<std::string> arguments =
      _command ? _command->remaining() : std::vector<std::string>();
  applyURLOverride();
  if (arguments.size() == 1 && arguments[0] == "update") return update(io);
  if (!arguments.empty()) {
    io.writeError("tallix rates: unexpected argument '" + arguments[0] +
                  "'\nusage: tallix rates [update]\n");
    return TallixExitCode::usage;
  }
  const Clock::time_point now = QVREnvironment::current().runLoop().now();
  const auto published = Category::currencyUpdateDate();
  const auto fetched = Category::lastFetchDate();
  std::string text = "source: " + Category::conversionRatesURL() + "\n";
  text += "published: " + (published ? ratesNote(published, now) : std::string("none")) + "\n";
  text += "last download: " +
          (fetched ? timeText(*fetched) : std::string("never (using the bundled snapshot)")) + "\n";
  const auto failure = Category::lastFailure();
  text += "last error: " +
          (failure ? timeText(failure->date) + ": " + failure->error.localizedDescription() + " (" +
                         failure->error.domain() + " " + std::to_string(failure->error.code()) + ")"
                   : std::string("none")) +
          "\n";
  text += "currencies: " + std::to_string(Category::conversionRates().size()) + "\n";
  io.write(text);
  return TallixExitCode::success;
}

int RatesCommand::update(TallixIO& io) {
  bool done = false;
  std::optional<QVRError> outcome;
  Category::fetchConversionRates([&](const std::optional<QVRError>& error) {
    outcome = error;
    done = true;
  });
  runUntil(done, updateTimeout);
  if (!done) {
    io.writeError("tallix rates update: no answer from " + Category::conversionRatesURL() +
                  " within " + std::to_string(updateTimeout.count()) + " s\n");
    return TallixExitCode::failure;
  }
  if (outcome) {
    io.writeError("tallix rates update: " + Category::conversionRatesURL() + ": " +
                  outcome->localizedDescription() + " (" + outcome->domain() + " " +
                  std::to_string(outcome->code()) + "); the rates in use are unchanged\n");
    return TallixExitCode::failure;
  }
  io.write("downloaded " +
           ratesNote(Category::currencyUpdateDate(), QVREnvironment::current().runLoop().now()) +
           " from " + Category::conversionRatesURL() + ": " +
           std::to_string(Category::conversionRates().size()) + " currencies\n");
  return TallixExitCode::success;
}

}  // namespace tallix
