#include <string>
#include <variant>

#include "common/QVREnvironment.h"
#include "common/QVRException.h"
#include "common/QVRFileReader.h"
#include "common/QVRLogger.h"
#include "common/QVRURLRequest.h"
#include "common/QVRUserDefaults.h"
#include "units/QVRTallixConversionRates.h"
#include "units/QVRTallixConversionRatesCache.h"
#include "units/QVRTallixCurrencyUnitCategory.h"

namespace {

void post(std::string_view name, const QVRUserInfo* userInfo = nullptr) {
  QVREnvironment::current().notificationCenter().post(name, nullptr, userInfo);
}

// Keeps the outcome of a download for the program to show: the failure, or nothing once a
// download succeeded.
void recordOutcome(const std::optional<QVRError>& error) {
  QVRUserDefaults& defaults = QVREnvironment::current().userDefaults();
  const auto key = QVRTallixCurrencyUnitCategory::lastFailureDefaultsKey;
  if (!error) {
    if (defaults.objectForKey(key)) defaults.removeObjectForKey(key);
    return;
  }
  defaults.setObject(
      key, QVRPropertyList::Dictionary{
               {"date", QVRPropertyList::Date{QVRTallixConversionRates::secondsSinceReferenceDate(
                            QVREnvironment::current().runLoop().now())}},
               {"domain", error->domain()},
               {"code", error->code()},
               {"description", error->localizedDescription()}});
}

}  // namespace

void QVRTallixCurrencyUnitCategory::initialize() {
  QVRTallixCurrencyRates& state = QVRTallixCurrencyRates::current();
  if (state.initialized) return;
  state.initialized = true;
  QVRTallixConversionRatesCache::Contents cache;
  try {
    cache = QVRTallixConversionRatesCache::contentsOfFile(conversionRatesPath());
  } catch (const QVRException& exception) {
    QVRLogger::logException(exception, "fetching conversion rates");
  }
  state.lastFetchDate = cache.lastFetchDate;
  state.lastUpdateDate = cache.lastUpdateDate;
  state.conversionRates = std::move(cache.conversionRates);
  if (!state.conversionRates) {
    state.conversionRates.emplace();
    state.lastFetchDate.reset();
    state.lastUpdateDate.reset();
  }
  if (state.conversionRates->empty()) _loadSnapshot(state);
  if (!state.automaticUpdates) return;
  fetchConversionRatesIfNeeded();
  state.hourlyTimer = QVRTimer::scheduledTimerWithTimeInterval(
      refreshInterval, [] { QVRTallixCurrencyUnitCategory::fetchConversionRatesIfNeeded(); });
}

void QVRTallixCurrencyUnitCategory::_loadSnapshot(QVRTallixCurrencyRates& state) {
  const auto& resources = QVREnvironment::current().resourcesDirectory();
  if (!resources) return;
  const auto path = *resources / snapshotResourceName;
  const auto bytes = QVRFileReader::contentsOfFile(path, QVRTallixConversionRates::maximumSize);
  if (!bytes.value) {
    if (bytes.error) QVRLogger::logError(*bytes.error, "reading bundled conversion rates");
    return;
  }
  try {
    const auto snapshot = QVRTallixConversionRates::fromDownload(
        std::string_view(reinterpret_cast<const char*>(bytes.value->data()), bytes.value->size()));
    state.conversionRates = snapshot.rates();
    state.lastUpdateDate = snapshot.publicationTime();
  } catch (const QVRException& exception) {
    QVRLogger::logException(exception, "reading bundled conversion rates");
  }
}

void QVRTallixCurrencyUnitCategory::fetchConversionRates(Completion completion) {
  initialize();
  QVRTallixCurrencyRates& state = QVRTallixCurrencyRates::current();
  if (!state.completionBlocks) state.completionBlocks.emplace();
  state.completionBlocks->push_back(completion ? std::move(completion)
                                               : [](const std::optional<QVRError>&) {});
  if (state.completionBlocks->size() > 1) return;

  if (QVRLoggingEnabled()) QVRLogger::logFormat("Fetching currencies");
  QVRURLRequest request;
  request.setUrl(conversionRatesURL());
  request.setResponseType(QVRURLRequest::responseTypeText);
  request.setTimeoutInterval(state.requestTimeout);
  request.start([description = request.description()](std::optional<QVRURLRequest::Value> value,
                                                      std::optional<QVRError> error) {
    const std::string* text = value ? std::get_if<std::string>(&*value) : nullptr;
    _didFetch(description, text ? std::optional(*text) : std::nullopt, error);
  });
}

void QVRTallixCurrencyUnitCategory::_didFetch(const std::string& request,
                                              const std::optional<std::string>& value,
                                              const std::optional<QVRError>& error) {
  if (QVRLoggingEnabled()) {
    QVRLogger::logRequest(request, value ? &*value : nullptr, error ? &*error : nullptr);
  }
  if (error) {
    QVRLogger::logError(*error, "fetching conversion rate");
    _finish(error);
    return;
  }
  std::optional<QVRTallixConversionRates> rates;
  try {
    rates = QVRTallixConversionRates::fromDownload(value.value_or(""));
  } catch (const QVRException& exception) {
    QVRLogger::logException(exception, "fetching conversion rate");
    _finish(readFailureError());
    return;
  }
  QVRTallixCurrencyRates& state = QVRTallixCurrencyRates::current();
  state.lastUpdateDate = rates->publicationTime();
  state.lastFetchDate = QVREnvironment::current().runLoop().now();
  state.conversionRates = rates->rates();
  if (const auto failure = QVRTallixConversionRatesCache::writeContents(
          conversionRatesPath(),
          {state.lastFetchDate, state.lastUpdateDate, state.conversionRates})) {
    QVRLogger::logError(*failure, "writing conversion rates");
  }
  post(QVRTallixCurrencyUnitCategoryDidUpdate);
  _finish(std::nullopt);
}

void QVRTallixCurrencyUnitCategory::_finish(const std::optional<QVRError>& error) {
  recordOutcome(error);
  // Taken whole and reset first, so that a completion may start the next download.
  auto completions = std::move(QVRTallixCurrencyRates::current().completionBlocks);
  QVRTallixCurrencyRates::current().completionBlocks.reset();
  if (!completions) return;
  for (const Completion& completion : *completions) completion(error);
}

void QVRTallixCurrencyUnitCategory::fetchConversionRatesIfNeeded() {
  initialize();
  const auto& lastFetch = QVRTallixCurrencyRates::current().lastFetchDate;
  if (lastFetch) {
    const auto age = QVREnvironment::current().runLoop().now() - *lastFetch;
    if (age <= refreshInterval && age >= -refreshInterval) return;
  }
  post(QVRTallixCurrencyUnitCategoryWillAutoupdate);
  fetchConversionRates([](const std::optional<QVRError>& error) {
    if (!error) {
      post(QVRTallixCurrencyUnitCategoryDidAutoupdate);
      return;
    }
    const QVRUserInfo userInfo{
        {std::string(QVRTallixCurrencyUnitCategoryAutoupdateErrorKey), *error}};
    post(QVRTallixCurrencyUnitCategoryDidAutoupdate, &userInfo);
  });
}

std::optional<QVRTallixCurrencyUnitCategory::Failure> QVRTallixCurrencyUnitCategory::lastFailure() {
  const auto stored = QVREnvironment::current().userDefaults().objectForKey(lastFailureDefaultsKey);
  const QVRPropertyList* date = stored ? stored->find("date") : nullptr;
  const QVRPropertyList* domain = stored ? stored->find("domain") : nullptr;
  const QVRPropertyList* code = stored ? stored->find("code") : nullptr;
  const QVRPropertyList* description = stored ? stored->find("description") : nullptr;
  if (!date || !date->date() || !domain || !domain->string() || !code || !code->integer()) {
    return std::nullopt;
  }
  const auto time = QVRTallixConversionRates::dateFromSecondsSinceReferenceDate(
      date->date()->secondsSinceReferenceDate);
  if (!time) return std::nullopt;
  const std::string* text = description ? description->string() : nullptr;
  return Failure{*time, QVRError(*domain->string(), *code->integer(), text ? *text : "")};
}
