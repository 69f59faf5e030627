#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "common/QVRConfiguration.h"
#include "common/QVRPropertyList.h"
#include "numbers/QVRTallixNumber.h"
#include "support/TallixTest.h"
#include "units/QVRTallixUnit.h"
#include "units/QVRTallixUnitCategory.h"

// Catalogue entries and values for the unit tests.
namespace UnitFixtures {

using Array = QVRPropertyList::Array;
using Dictionary = QVRPropertyList::Dictionary;

inline QVRTallixDecimal decimal(std::string_view text) {
  return QVRTallixDecimal::fromString(text, ".", true).value_or(QVRTallixDecimal::nan());
}
inline QVRTallixNumber number(std::string_view text) {
  return QVRTallixNumber(decimal(text));
}

// Optional keys of a unit entry.
struct UnitKeys {
  std::optional<std::string> symbol{};
};

// Sets `key` when the value is given.
inline void setIf(Dictionary& entry, const char* key, const auto& value) {
  if (value) entry[key] = *value;
}

inline Dictionary unitEntry(std::string_view className, std::string_view name,
                            const UnitKeys& keys) {
  Dictionary entry{{"class", className}, {"name", name}};
  setIf(entry, "symbol", keys.symbol);
  return entry;
}

// A plain (base) unit entry.
inline Dictionary plainUnit(std::string_view name, const UnitKeys& keys = {}) {
  return unitEntry("QVRTallixUnit", name, keys);
}

// A formula unit entry; an empty `to` leaves the key out.
inline Dictionary formulaUnit(std::string_view name, std::optional<std::string> to,
                              std::optional<std::string> from = std::nullopt,
                              const UnitKeys& keys = {}) {
  Dictionary entry = unitEntry("QVRTallixFormulaUnit", name, keys);
  setIf(entry, "to", to), setIf(entry, "from", from);
  return entry;
}

struct CategoryKeys {
  std::optional<std::string> defaultFrom{};
  std::optional<std::string> defaultTo{};
};

inline Dictionary categoryEntry(std::string_view name, Array units, const CategoryKeys& keys = {}) {
  Dictionary entry{{"name", name}, {"units", std::move(units)}};
  setIf(entry, "defaultFromUnitName", keys.defaultFrom);
  setIf(entry, "defaultToUnitName", keys.defaultTo);
  return entry;
}

// A small length category: metre (base), kilometre ("X 1000 *"), centimetre ("X 0.01 *").
inline Dictionary lengthCategory() {
  return categoryEntry("TestLength",
                       {formulaUnit("kilometre", "X 1000 *", std::nullopt, {.symbol = "km"}),
                        plainUnit("metre", {.symbol = "m"}),
                        formulaUnit("centimetre", "X 0.01 *", std::nullopt, {.symbol = "cm"})},
                       {.defaultFrom = "metre", .defaultTo = "kilometre"});
}

// Replaces the catalogue of the current environment's configuration (before its first use).
inline void useCatalogue(Array categories) {
  QVRConfiguration::sharedConfiguration().replaceValues(
      Dictionary{{"categories", std::move(categories)}});
}

// A category made directly, outside the catalogue.
inline std::unique_ptr<QVRTallixUnitCategory> makeCategory(const Dictionary& entry) {
  return QVRTallixUnitCategory::initWithDictionary(entry, std::nullopt);
}

}  // namespace UnitFixtures
