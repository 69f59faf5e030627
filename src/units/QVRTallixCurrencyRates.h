#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "common/QVRError.h"
#include "common/QVRRunLoop.h"
#include "common/QVRTimer.h"
#include "units/QVRTallixConversionRates.h"

// The class state of QVRTallixCurrencyUnitCategory, one per environment: the program has one for
// the process, each test a fresh one. QVRTallixCurrencyUnitCategory's class operations keep it;
// the embedding program may set the two settings at the end before the currencies are first
// used.
struct QVRTallixCurrencyRates {
  using Clock = QVRRunLoop::Clock;
  using Table = QVRTallixConversionRates::Table;
  using Completion = std::function<void(const std::optional<QVRError>& error)>;

  QVRTallixCurrencyRates() = default;
  // Identity object: it owns the hourly timer and the completions waiting for the download.
  QVRTallixCurrencyRates(const QVRTallixCurrencyRates&) = delete;
  QVRTallixCurrencyRates& operator=(const QVRTallixCurrencyRates&) = delete;

  // The state of the current environment, made on first use.
  static QVRTallixCurrencyRates& current();

  // gLastFetchDate: when rates were last downloaded and stored; none before the first success.
  std::optional<Clock::time_point> lastFetchDate;
  // gLastUpdateDate: the publication time of the rates in use.
  std::optional<Clock::time_point> lastUpdateDate;
  // gConversionRates: currency code to rate text.
  std::optional<Table> conversionRates;
  // gCompletionBlocks: the completions waiting for the download in progress; none or empty
  // while no download runs.
  std::optional<std::vector<Completion>> completionBlocks;
  // The check every hour, scheduled when the class is initialised.
  QVRTimer hourlyTimer;
  bool initialized = false;

  // Whether the class downloads by itself: at initialisation when the rates are older than an
  // hour, and every hour. Off until the embedding program turns it on before the currencies are
  // first used: a one-shot command (and every test that does not test the refresh) uses the
  // cached rates and downloads only when told.
  bool automaticUpdates = false;
  // How long a download may take.
  std::chrono::milliseconds requestTimeout{30'000};
};
