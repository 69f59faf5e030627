#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRError.h"
#include "numbers/QVRTallixDecimal.h"
#include "units/QVRTallixCurrencyRates.h"
#include "units/QVRTallixUnitCategory.h"

// Posted on the environment's notification centre with no object: new rates were stored.
inline constexpr std::string_view QVRTallixCurrencyUnitCategoryDidUpdate =
    "QVRTallixCurrencyUnitCategoryDidUpdate";
// An automatic refresh starts.
inline constexpr std::string_view QVRTallixCurrencyUnitCategoryWillAutoupdate =
    "QVRTallixCurrencyUnitCategoryWillAutoupdate";
// An automatic refresh ended; on failure the user info holds the QVRError under
// QVRTallixCurrencyUnitCategoryAutoupdateErrorKey.
inline constexpr std::string_view QVRTallixCurrencyUnitCategoryDidAutoupdate =
    "QVRTallixCurrencyUnitCategoryDidAutoupdate";
inline constexpr std::string_view QVRTallixCurrencyUnitCategoryAutoupdateErrorKey =
    "QVRTallixCurrencyUnitCategoryAutoupdateErrorKey";
// The domain of the error of a download that could not be read (code 1).
inline constexpr std::string_view QVRTallixCurrencyUnitCategoryDomain =
    "QVRTallixCurrencyUnitCategoryDomain";

// The category of the currencies, named in the catalogue by "class"
// "QVRTallixCurrencyUnitCategory". Its units (QVRTallixCurrencyUnit) convert by exchange rates
// that are downloaded, kept in memory, cached in "conversionRates.plist" between runs and
// refreshed when they are older than an hour; the reference currency in which the rates are
// stated plays the part of the base unit.
//
// The rates come from the URL of the configuration's "conversionRatesURL", by default the
// European Central Bank's daily reference rates (the euro is then the reference currency); a
// server of the rates text may stand in (QVRTallixConversionRates reads both). Before the first
// download, with no cache, the bundled snapshot of the bank's rates ("eurofxref-snapshot.xml" in
// the resources) is used, so that conversions work offline from the start.
//
// The class state lives in QVRTallixCurrencyRates, one per environment; everything runs on the
// main thread, and concurrent callers of fetchConversionRates share one download.
class QVRTallixCurrencyUnitCategory : public QVRTallixUnitCategory {
 public:
  using Clock = QVRTallixCurrencyRates::Clock;
  using Completion = QVRTallixCurrencyRates::Completion;
  using Table = QVRTallixCurrencyRates::Table;

  static constexpr std::string_view conversionRatesURLKey = "conversionRatesURL";
  static constexpr std::string_view defaultConversionRatesURL =
      "https://www.ecb.europa.eu/stats/eurofxref/eurofxref-daily.xml";
  static constexpr std::string_view snapshotResourceName = "eurofxref-snapshot.xml";
  // The user-defaults key of the last failed download: a dictionary of "date", "domain",
  // "code" and "description"; removed by the next download that succeeds.
  static constexpr std::string_view lastFailureDefaultsKey = "conversionRatesLastFailure";
  static constexpr std::int64_t readFailureCode = 1;
  static constexpr std::string_view readFailureText =
      "Failed to read conversion rates data. If this error continues to happen contact Ternwick "
      "support";
  // The interval of the automatic check, and the age from which rates are downloaded again.
  static constexpr std::chrono::seconds refreshInterval{3600};

  static std::unique_ptr<QVRTallixCurrencyUnitCategory> initWithDictionary(
      const Dictionary& dictionary, std::optional<Dictionary> stringsDictionary);
  static std::unique_ptr<QVRTallixCurrencyUnitCategory> initWithCoder(QVRKeyedUnarchiver& coder);
  static std::vector<std::string_view> decodableClassNames() {
    return {"QVRTallixCurrencyUnitCategory"};
  }

  // The catalogue as built through this class: entries that name no category class are made of
  // this class (when this is the first call that builds the catalogue).
  static const std::vector<QVRTallixUnitCategory*>& allCategories();

  // The rate of `unit`: the text stored under its symbol, read as a decimal with "." as the
  // separator (what follows the number is ignored); none when there is no such entry or the
  // text starts with no number. Read anew on every call.
  std::optional<QVRTallixDecimal> conversionMultiplierForUnit(const QVRTallixUnit& unit) const;

  // The cache file: "conversionRates.plist" in the application's support directory.
  static std::filesystem::path conversionRatesPath();
  // Once per environment, before the class is first used: reads the cache (a failure is logged
  // with "fetching conversion rates"), takes the bundled snapshot when that gives no rate, then,
  // with automatic updates, refreshes if needed and checks again every hour. Every class
  // operation calls it first.
  static void initialize();
  // Downloads the rates; `completion` (none: nothing) is called once when the download ends,
  // with its error or none. A call while a download runs waits for that one.
  static void fetchConversionRates(Completion completion = nullptr);
  // Downloads (announced by QVRTallixCurrencyUnitCategoryWillAutoupdate and ...DidAutoupdate)
  // unless rates were stored at most refreshInterval ago.
  static void fetchConversionRatesIfNeeded();
  // The publication time of the rates in use, or none.
  static std::optional<Clock::time_point> currencyUpdateDate();

  // When rates were last downloaded and stored, or none.
  static std::optional<Clock::time_point> lastFetchDate();
  // The rates in use: currency code to rate text.
  static const Table& conversionRates();
  // The configuration's "conversionRatesURL" when it is a text, else the default.
  static std::string conversionRatesURL();
  // Whether a download runs.
  static bool isFetching();
  // The last download that failed, since the last that succeeded (kept in the user defaults).
  struct Failure {
    Clock::time_point date;
    QVRError error;
  };
  static std::optional<Failure> lastFailure();
  // The error of a download that could not be read: QVRTallixCurrencyUnitCategoryDomain, code 1,
  // readFailureText as looked up in the library's default strings table.
  static QVRError readFailureError();

  std::string_view archiveClassName() const override { return "QVRTallixCurrencyUnitCategory"; }
  std::vector<std::string_view> archiveSuperclassNames() const override {
    return {"QVRTallixUnitCategory"};
  }

 private:
  friend class QVRTallixUnitCategory;
  using QVRTallixUnitCategory::QVRTallixUnitCategory;

  static void _loadSnapshot(QVRTallixCurrencyRates& state);
  static void _didFetch(const std::string& request, const std::optional<std::string>& value,
                        const std::optional<QVRError>& error);
  static void _finish(const std::optional<QVRError>& error);
};
