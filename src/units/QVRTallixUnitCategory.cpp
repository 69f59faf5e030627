#include "units/QVRTallixUnitCategory.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <ostream>

#include "common/QVRArray.h"
#include "common/QVRBundle.h"
#include "common/QVREnvironment.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRLogger.h"
#include "common/QVRNotificationCenter.h"
#include "common/QVRUserDefaults.h"
#include "units/QVRTallixCatalogueValue.h"
#include "units/QVRTallixStringComparison.h"
#include "units/QVRTallixUnit.h"
#include "units/QVRTallixUnitCatalogue.h"
#include "units/QVRTallixUnitClassRegistry.h"

namespace {

constexpr std::string_view kNull = "(null)";

std::optional<std::string_view> view(const std::optional<std::string>& text) {
  return text ? std::optional<std::string_view>(*text) : std::nullopt;
}

bool holdsTextOrNothing(QVRKeyedUnarchiver& coder, std::string_view key) {
  return !coder.containsValueForKey(key) || coder.decodeStringForKey(key).has_value();
}

bool holdsIntegerOrNothing(QVRKeyedUnarchiver& coder, std::string_view key) {
  if (!coder.containsValueForKey(key)) return true;
  const auto value = coder.decodePropertyListForKey(key);
  return value && value->isNumber();
}

}  // namespace

QVRTallixUnitCategory::QVRTallixUnitCategory(const Dictionary& dictionary,
                                             std::optional<Dictionary> stringsDictionary)
    : _defaultFromUnitName(QVRTallixCatalogueValue::string(dictionary, "defaultFromUnitName")),
      _defaultToUnitName(QVRTallixCatalogueValue::string(dictionary, "defaultToUnitName")),
      _stringsDictionary(std::move(stringsDictionary)),
      _name(QVRTallixCatalogueValue::string(dictionary, "name")),
      _precision(QVRTallixCatalogueValue::unsignedInteger(dictionary, "precision")) {}

QVRTallixUnitCategory::QVRTallixUnitCategory() = default;
QVRTallixUnitCategory::~QVRTallixUnitCategory() = default;

std::unique_ptr<QVRTallixUnitCategory> QVRTallixUnitCategory::initWithDictionary(
    const Dictionary& dictionary, std::optional<Dictionary> stringsDictionary) {
  return make<QVRTallixUnitCategory>(dictionary, std::move(stringsDictionary));
}

void QVRTallixUnitCategory::loadUnits(const Dictionary& dictionary) {
  const auto titleKey = QVRTallixCatalogueValue::string(dictionary, "title");
  _title = localizedString(view(titleKey ? titleKey : _name));
  const auto entries = dictionary.find("units");
  const QVRPropertyList::Array* units =
      entries == dictionary.end() ? nullptr : entries->second.array();
  if (!units) return;
  std::vector<std::unique_ptr<QVRTallixUnit>> made;
  for (std::size_t index = 0; index < units->size(); ++index) {
    const Dictionary* unitDictionary = (*units)[index].dictionary();
    const QVRTallixUnitClassRegistry::UnitClass* unitClass =
        unitDictionary
            ? QVRTallixUnitClassRegistry::unitClassNamed([&]() -> const QVRPropertyList* {
                const auto found = unitDictionary->find("class");
                return found == unitDictionary->end() ? nullptr : &found->second;
              }())
            : nullptr;
    if (!unitClass) {
      if (QVRLoggingEnabled()) {
        QVRLogger::logFormat(
            fmt::format("Skipping unit {} of the category {}: {}", index, _name ? *_name : kNull,
                        unitDictionary ? "its \"class\" names no unit class" : "not a dictionary"));
      }
      continue;
    }
    made.push_back(unitClass->makeWithDictionary(*unitDictionary, *this));
  }
  std::stable_sort(made.begin(), made.end(), [](const auto& left, const auto& right) {
    return left->compare(*right) == QVRComparisonResult::orderedAscending;
  });
  for (auto& unit : made) adoptUnit(std::move(unit));
}

void QVRTallixUnitCategory::adoptUnit(std::unique_ptr<QVRTallixUnit> unit) {
  _units.push_back(unit.get());
  _ownedUnits.push_back(std::move(unit));
}

std::string QVRTallixUnitCategory::localizedString(std::optional<std::string_view> key) const {
  if (!key) return "";
  const std::string_view table = _name ? std::string_view(*_name) : QVRBundle::defaultTable;
  return QVRBundle::mainBundle().localizedString(
      *key, table, QVRTallixUnitCatalogue::current().stringsLocalizations());
}

QVRTallixUnit* QVRTallixUnitCategory::unitNamed(std::optional<std::string_view> name) const {
  if (!name) return nullptr;
  const auto found = std::find_if(_units.begin(), _units.end(), [&](const QVRTallixUnit* unit) {
    return unit->name() && *unit->name() == *name;
  });
  return found == _units.end() ? nullptr : *found;
}

std::string QVRTallixUnitCategory::defaultsKey(std::string_view suffix) const {
  return fmt::format("{}.{}", _name ? std::string_view(*_name) : kNull, suffix);
}

QVRTallixUnit* QVRTallixUnitCategory::chooseDefaultUnit(
    const std::string& key, const std::optional<std::string>& catalogueName, bool last) const {
  const auto stored = QVREnvironment::current().userDefaults().objectForKey(key);
  const std::string* storedName = stored ? stored->string() : nullptr;
  QVRTallixUnit* found = storedName ? unitNamed(*storedName) : unitNamed(view(catalogueName));
  QVRTallixUnit* chosen = found;
  if (!chosen || chosen->isHidden()) chosen = unitNamed(view(catalogueName));
  if (!chosen || chosen->isHidden()) {
    const auto visible = visibleUnits();
    chosen = visible.empty() ? nullptr : visible.front();
  }
  if (!chosen) chosen = found;
  if (!chosen && !_units.empty()) chosen = last ? _units.back() : _units.front();
  return chosen;
}

QVRTallixUnit* QVRTallixUnitCategory::defaultFromUnit() {
  if (_defaultFromUnit && !_defaultFromUnit->isHidden()) return _defaultFromUnit;
  _defaultFromUnit = chooseDefaultUnit(defaultsKey("DefaultFromUnit"), _defaultFromUnitName, false);
  return _defaultFromUnit;
}

QVRTallixUnit* QVRTallixUnitCategory::defaultToUnit() {
  if (_defaultToUnit && !_defaultToUnit->isHidden()) return _defaultToUnit;
  _defaultToUnit = chooseDefaultUnit(defaultsKey("DefaultToUnit"), _defaultToUnitName, true);
  return _defaultToUnit;
}

namespace {

void storeUnitName(const std::string& key, const QVRTallixUnit* unit) {
  QVRUserDefaults& defaults = QVREnvironment::current().userDefaults();
  if (unit && unit->name()) {
    defaults.setObject(key, QVRPropertyList(*unit->name()));
  } else {
    defaults.removeObjectForKey(key);
  }
}

}  // namespace

void QVRTallixUnitCategory::setDefaultFromUnit(QVRTallixUnit* unit) {
  if (unit == _defaultFromUnit) return;
  _defaultFromUnit = unit;
  storeUnitName(defaultsKey("DefaultFromUnit"), unit);
}

void QVRTallixUnitCategory::setDefaultToUnit(QVRTallixUnit* unit) {
  if (unit == _defaultToUnit) return;
  _defaultToUnit = unit;
  storeUnitName(defaultsKey("DefaultToUnit"), unit);
}

bool QVRTallixUnitCategory::isHidden() const {
  return visibleUnits().empty();
}

void QVRTallixUnitCategory::_resetVisibleUnits() {
  QVRNotificationCenter& center = QVREnvironment::current().notificationCenter();
  center.post(QVRTallixUnitCategoryVisibleUnitsWillChangeNotification, this);
  const bool wasHidden = isHidden();
  _visibleUnits.reset();
  if (isHidden() != wasHidden) {
    if (QVRTallixUnitCatalogue* catalogue = QVRTallixUnitCatalogue::existing()) {
      catalogue->setVisibleCategories(std::nullopt);
    }
  }
  center.post(QVRTallixUnitCategoryVisibleUnitsDidChangeNotification, this);
}

std::vector<QVRTallixUnit*> QVRTallixUnitCategory::visibleUnits() const {
  if (!_visibleUnits) {
    _visibleUnits = QVRArray::objectsPassingTest(
        _units, [](const QVRTallixUnit* unit) { return !unit->isHidden(); });
  }
  return *_visibleUnits;
}

std::string QVRTallixUnitCategory::imageName() const {
  return fmt::format("{}:Category", _name ? std::string_view(*_name) : kNull);
}

QVRImageName QVRTallixUnitCategory::image() const {
  return QVRImageName(imageName());
}

std::string QVRTallixUnitCategory::description() const {
  std::string list = "(\n";
  for (std::size_t index = 0; index < _units.size(); ++index) {
    list += "    " + _units[index]->description() + (index + 1 < _units.size() ? ",\n" : "\n");
  }
  list += ")";
  return fmt::format("{} {}", _name ? std::string_view(*_name) : kNull, list);
}

QVRComparisonResult QVRTallixUnitCategory::compare(const QVRTallixUnitCategory& other) const {
  return QVRTallixStringComparison::compare(_title.value_or(""), other._title.value_or(""));
}

void QVRTallixUnitCategory::encodeWithCoder(QVRKeyedArchiver& coder) const {
  if (_name) coder.encodeString("name", *_name);
  if (_title) coder.encodeString("title", *_title);
  coder.encodeArrayOfObjects("units", _units);
  if (_defaultFromUnitName) coder.encodeString("defaultFromUnitName", *_defaultFromUnitName);
  if (_defaultToUnitName) coder.encodeString("defaultToUnitName", *_defaultToUnitName);
  coder.encodeInteger("precision", static_cast<std::int64_t>(std::min<std::uint64_t>(
                                       _precision, std::numeric_limits<std::int64_t>::max())));
}

bool QVRTallixUnitCategory::decodeFields(QVRKeyedUnarchiver& coder) {
  if (!holdsTextOrNothing(coder, "name") || !holdsTextOrNothing(coder, "title") ||
      !holdsTextOrNothing(coder, "defaultFromUnitName") ||
      !holdsTextOrNothing(coder, "defaultToUnitName") ||
      !holdsIntegerOrNothing(coder, "precision")) {
    return false;
  }
  _name = coder.decodeStringForKey("name");
  _title = coder.decodeStringForKey("title");
  _defaultFromUnitName = coder.decodeStringForKey("defaultFromUnitName");
  _defaultToUnitName = coder.decodeStringForKey("defaultToUnitName");
  _precision =
      static_cast<std::uint64_t>(std::max<std::int64_t>(0, coder.decodeIntegerForKey("precision")));
  if (!coder.containsValueForKey("units")) return true;
  // The units refer back to this category: let those references find this object.
  coder.registerDecodedObject<QVRTallixUnitCategory>(*this);
  bool complete = true;
  const bool isArray = coder.valueForKey("units").decodeArray([&](const auto& element) {
    if (!complete) return;
    // A unit decoded on its own owns the category decoded with it; it is listed, not owned.
    if (QVRTallixUnit* owner = element.template decodeReferenceOfClass<QVRTallixUnit>()) {
      _units.push_back(owner);
      return;
    }
    auto unit = element.template decodeObjectOfClass<QVRTallixUnit>();
    if (unit) {
      adoptUnit(std::move(unit));
    } else {
      complete = false;
    }
  });
  return isArray && complete;
}

std::unique_ptr<QVRTallixUnitCategory> QVRTallixUnitCategory::initWithCoder(
    QVRKeyedUnarchiver& coder) {
  const auto* categoryClass = QVRTallixUnitClassRegistry::categoryClassNamed(coder.className());
  if (!categoryClass) return nullptr;
  return categoryClass->makeWithCoder(coder);
}

std::unique_ptr<QVRTallixUnitCategory> QVRTallixUnitCategory::initPlainCategoryWithCoder(
    QVRKeyedUnarchiver& coder) {
  return decode<QVRTallixUnitCategory>(coder);
}

std::vector<std::string_view> QVRTallixUnitCategory::decodableClassNames() {
  std::vector<std::string_view> names;
  for (const auto& categoryClass : QVRTallixUnitClassRegistry::categoryClasses()) {
    names.push_back(categoryClass.name);
  }
  return names;
}

void PrintTo(const QVRTallixUnitCategory& category, std::ostream* stream) {
  *stream << category.description();
}
