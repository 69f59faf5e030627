#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "tallix/TallixCommand.h"

namespace tallix {

// `tallix rates`: where the exchange rates come from, their publication date, the last
// successful download and the last error. `tallix rates update`: downloads the rates now, waits
// for the answer (at most `updateTimeout`) and reports the outcome.
//
// The source is the configuration's "conversionRatesURL" (by default the European Central Bank's
// daily XML); the environment variable TALLIX_RATES_URL overrides it for this run.
class RatesCommand final : public TallixCommand {
 public:
  static constexpr std::chrono::seconds updateTimeout{30};
  static constexpr std::string_view urlVariable = "TALLIX_RATES_URL";

  std::string_view name() const override { return "rates"; }
  std::string_view summary() const override {
    return "show the exchange rates' source and age; 'rates update' downloads them";
  }
  std::string usage() const override;
  void configure(CLI::App& command) override;
  int run(TallixIO& io) override;

  // "rates of 30 Oct 2026", with "— 37 days old" (whole days) when the rates are more than
  // 7 × 24 hours old at `now`; "no exchange rates" without a date.
  static std::string ratesNote(std::optional<std::chrono::system_clock::time_point> published,
                               std::chrono::system_clock::time_point now);
  // "30 Oct 2026" (UTC).
  static std::string dayText(std::chrono::system_clock::time_point time);

 private:
  int update(TallixIO& io);

  CLI::App* _command = nullptr;
};

}  // namespace tallix
