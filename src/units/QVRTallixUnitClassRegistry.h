#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRPropertyList.h"

class QVRKeyedUnarchiver;
class QVRTallixUnit;
class QVRTallixUnitCategory;

// The unit and category classes that the catalogue's "class" values and the archives' class
// records name. C++ has no lookup of a class by its name, so each class has an entry here, a
// fixed table: "QVRTallixUnit", "QVRTallixFormulaUnit", "QVRTallixCurrencyUnit",
// "QVRTallixUnitCategory" and "QVRTallixCurrencyUnitCategory".
class QVRTallixUnitClassRegistry {
 public:
  QVRTallixUnitClassRegistry() = delete;

  struct UnitClass {
    std::string_view name;
    std::unique_ptr<QVRTallixUnit> (*makeWithDictionary)(const QVRPropertyList::Dictionary&,
                                                         QVRTallixUnitCategory&);
    std::unique_ptr<QVRTallixUnit> (*makeWithCoder)(QVRKeyedUnarchiver&);
  };
  struct CategoryClass {
    std::string_view name;
    std::unique_ptr<QVRTallixUnitCategory> (*makeWithDictionary)(
        const QVRPropertyList::Dictionary&, std::optional<QVRPropertyList::Dictionary>);
    std::unique_ptr<QVRTallixUnitCategory> (*makeWithCoder)(QVRKeyedUnarchiver&);
  };

  static std::span<const UnitClass> unitClasses();
  static std::span<const CategoryClass> categoryClasses();

  // The class that a name (or a catalogue value, which must be a text) names, or none.
  static const UnitClass* unitClassNamed(std::string_view name);
  static const UnitClass* unitClassNamed(const QVRPropertyList* value);
  static const CategoryClass* categoryClassNamed(std::string_view name);
  static const CategoryClass* categoryClassNamed(const QVRPropertyList* value);

  // Every unit and category class name: the classes allowed in an archive of units.
  static std::vector<std::string> archiveClassNames();
};
