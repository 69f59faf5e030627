// A unit catalogue from any bytes: the property list they hold becomes the configuration's
// "categories", the catalogue is built from it, and every unit converts 1 to its category's
// units and back. Malformed entries are skipped, malformed formulas fail their own conversions
// (zero, logged): nothing may crash, and the catalogue's invariants hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/QVRConfiguration.h"
#include "common/QVREnvironment.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRMemoryLogSink.h"
#include "common/QVRMemoryUserDefaults.h"
#include "common/QVRPropertyListReader.h"
#include "units/QVRTallixUnit.h"
#include "units/QVRTallixUnitCatalogue.h"
#include "units/QVRTallixUnitCategory.h"
#include "units/QVRTallixUnitClassRegistry.h"

namespace {

struct Setup {
  std::unique_ptr<QVREnvironment> environment = QVREnvironment::makeForTesting();
  QVREnvironment::Installation installation{*environment};
};

// A fresh catalogue and preferences for each input, in the one environment.
void reset(QVREnvironment& environment) {
  environment.setSharedInstance<QVRTallixUnitCatalogue>(nullptr);
  auto& defaults = static_cast<QVRMemoryUserDefaults&>(environment.userDefaults());
  std::vector<std::string> keys;
  for (const auto& [key, value] : defaults.values()) keys.push_back(key);
  for (const auto& key : keys) defaults.removeObjectForKey(key);
  environment.memoryLogSink()->clear();
}

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Setup setup;
  reset(*setup.environment);
  auto read = QVRPropertyListReader::propertyList({data, size});
  if (!read.value) return 0;
  QVRConfiguration::sharedConfiguration().replaceValues(
      QVRPropertyList::Dictionary{{"categories", std::move(*read.value)}});

  const auto& categories = QVRTallixUnitCategory::allCategories();
  const QVRTallixNumber one(QVRTallixDecimal::one());
  for (std::size_t index = 0; index < categories.size(); ++index) {
    QVRTallixUnitCategory& category = *categories[index];
    if (index + 1 < categories.size()) {
      check(category.compare(*categories[index + 1]) != QVRComparisonResult::orderedDescending);
    }
    const auto& units = category.units();
    for (std::size_t at = 0; at < units.size(); ++at) {
      QVRTallixUnit* unit = units[at];
      check(unit->category() == &category);
      if (at + 1 < units.size()) {
        check(unit->compare(*units[at + 1]) != QVRComparisonResult::orderedDescending);
      }
      for (QVRTallixUnit* other : {units.front(), units.back(), unit}) {
        check(QVRTallixUnit::convertNumber(&one, unit, other).has_value());
        check(QVRTallixUnit::convertNumber(&one, other, unit).has_value());
      }
      unit->formatedStringForNumber(one);
      unit->description();
    }
    category.defaultFromUnit();
    category.defaultToUnit();
    category.description();
    // The category's archive decodes to one with the same units.
    auto bytes = QVRKeyedArchiver::archivedDataWithRootObject(category);
    if (bytes.value) {
      auto decoded = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixUnitCategory>(
          *bytes.value, QVRTallixUnitClassRegistry::archiveClassNames());
      check(decoded.value != nullptr);
      check(decoded.value->units().size() == units.size());
    }
  }
  const auto visible = QVRTallixUnitCategory::visibleCategories();
  check(visible.empty() == categories.empty());
  for (const QVRTallixUnitCategory* category : visible)
    check(!category->isHidden() || visible.size() == 1);
  QVRTallixUnitCategory* chosen = QVRTallixUnitCategory::defaultCategory();
  check((chosen == nullptr) == categories.empty());
  return 0;
}
