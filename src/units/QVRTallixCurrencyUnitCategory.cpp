#include "units/QVRTallixCurrencyUnitCategory.h"

#include "common/QVRBundle.h"
#include "common/QVRConfiguration.h"
#include "units/QVRTallixConversionRatesCache.h"
#include "units/QVRTallixDataLocale.h"
#include "units/QVRTallixUnit.h"

std::unique_ptr<QVRTallixCurrencyUnitCategory> QVRTallixCurrencyUnitCategory::initWithDictionary(
    const Dictionary& dictionary, std::optional<Dictionary> stringsDictionary) {
  initialize();
  return make<QVRTallixCurrencyUnitCategory>(dictionary, std::move(stringsDictionary));
}

std::unique_ptr<QVRTallixCurrencyUnitCategory> QVRTallixCurrencyUnitCategory::initWithCoder(
    QVRKeyedUnarchiver& coder) {
  initialize();
  return decode<QVRTallixCurrencyUnitCategory>(coder);
}

const std::vector<QVRTallixUnitCategory*>& QVRTallixCurrencyUnitCategory::allCategories() {
  return catalogue("QVRTallixCurrencyUnitCategory");
}

std::optional<QVRTallixDecimal> QVRTallixCurrencyUnitCategory::conversionMultiplierForUnit(
    const QVRTallixUnit& unit) const {
  const Table& rates = conversionRates();
  const auto rate = rates.find(unit.symbol());
  if (rate == rates.end()) return std::nullopt;
  return QVRTallixDecimal::fromString(rate->second, gQVRTallixDataDecimalSeparator);
}

std::filesystem::path QVRTallixCurrencyUnitCategory::conversionRatesPath() {
  return QVRBundle::mainBundle().applicationSupportDirectory() /
         QVRTallixConversionRatesCache::fileName;
}

std::optional<QVRTallixCurrencyUnitCategory::Clock::time_point>
QVRTallixCurrencyUnitCategory::currencyUpdateDate() {
  initialize();
  return QVRTallixCurrencyRates::current().lastUpdateDate;
}

std::optional<QVRTallixCurrencyUnitCategory::Clock::time_point>
QVRTallixCurrencyUnitCategory::lastFetchDate() {
  initialize();
  return QVRTallixCurrencyRates::current().lastFetchDate;
}

const QVRTallixCurrencyUnitCategory::Table& QVRTallixCurrencyUnitCategory::conversionRates() {
  initialize();
  static const Table noRates;
  const auto& rates = QVRTallixCurrencyRates::current().conversionRates;
  return rates ? *rates : noRates;
}

std::string QVRTallixCurrencyUnitCategory::conversionRatesURL() {
  const QVRPropertyList* value =
      QVRConfiguration::sharedConfiguration().objectForKey(conversionRatesURLKey);
  if (value && value->string() && !value->string()->empty()) return *value->string();
  return std::string(defaultConversionRatesURL);
}

bool QVRTallixCurrencyUnitCategory::isFetching() {
  const auto& waiting = QVRTallixCurrencyRates::current().completionBlocks;
  return waiting && !waiting->empty();
}

QVRError QVRTallixCurrencyUnitCategory::readFailureError() {
  return QVRError(std::string(QVRTallixCurrencyUnitCategoryDomain), readFailureCode,
                  QVRBundle::mainBundle().localizedString(readFailureText));
}
