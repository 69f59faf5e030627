#include "units/QVRTallixUnitCatalogue.h"

#include <algorithm>

#include "common/QVRBundle.h"
#include "common/QVRConfiguration.h"
#include "common/QVREnvironment.h"
#include "common/QVRLogger.h"
#include "units/QVRTallixUnitCategory.h"
#include "units/QVRTallixUnitClassRegistry.h"

QVRTallixUnitCatalogue::QVRTallixUnitCatalogue() = default;
QVRTallixUnitCatalogue::~QVRTallixUnitCatalogue() = default;

QVRTallixUnitCatalogue& QVRTallixUnitCatalogue::current() {
  return QVREnvironment::current().sharedInstance<QVRTallixUnitCatalogue>();
}

QVRTallixUnitCatalogue* QVRTallixUnitCatalogue::existing() {
  return QVREnvironment::current().existingSharedInstance<QVRTallixUnitCatalogue>();
}

const std::vector<QVRTallixUnitCategory*>& QVRTallixUnitCatalogue::categories(
    std::string_view defaultClassName) {
  if (_owned) return _categories;
  std::vector<std::unique_ptr<QVRTallixUnitCategory>> made;
  const QVRPropertyList* value = QVRConfiguration::sharedConfiguration().objectForKey("categories");
  if (const QVRPropertyList::Array* entries = value ? value->array() : nullptr) {
    // The configuration's values may be replaced while the units load (nothing here does so, but
    // the catalogue must not read freed memory if something did): work on a copy.
    const QVRPropertyList::Array copy = *entries;
    for (std::size_t index = 0; index < copy.size(); ++index) {
      const QVRPropertyList::Dictionary* dictionary = copy[index].dictionary();
      if (!dictionary) {
        if (QVRLoggingEnabled()) {
          QVRLogger::logFormat("Skipping entry " + std::to_string(index) +
                               " of the unit catalogue: not a dictionary");
        }
        continue;
      }
      const auto classEntry = dictionary->find("class");
      const auto* categoryClass = QVRTallixUnitClassRegistry::categoryClassNamed(
          classEntry == dictionary->end() ? nullptr : &classEntry->second);
      if (!categoryClass) {
        categoryClass = QVRTallixUnitClassRegistry::categoryClassNamed(defaultClassName);
      }
      if (!categoryClass) continue;
      made.push_back(categoryClass->makeWithDictionary(*dictionary, std::nullopt));
    }
  }
  std::stable_sort(made.begin(), made.end(), [](const auto& left, const auto& right) {
    return left->compare(*right) == QVRComparisonResult::orderedAscending;
  });
  if (_owned) return _categories;  // built meanwhile by a nested call
  _categories.clear();
  for (const auto& category : made) _categories.push_back(category.get());
  _owned = std::move(made);
  return _categories;
}

const std::vector<std::string>& QVRTallixUnitCatalogue::stringsLocalizations() {
  if (_stringsLocalizations) return *_stringsLocalizations;
  QVRBundle& bundle = QVRBundle::mainBundle();
  std::vector<std::string> chosen = bundle.preferredLocalizations();
  const std::string& identifier = QVREnvironment::current().localeIdentifier();
  if ((identifier == "en_US" || identifier == "en_PH") && bundle.hasLocalization("en-US")) {
    std::erase(chosen, std::string("en-US"));
    chosen.insert(chosen.begin(), "en-US");
  }
  _stringsLocalizations = std::move(chosen);
  return *_stringsLocalizations;
}
