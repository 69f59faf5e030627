#include "units/QVRTallixUnit.h"

#include <fmt/format.h>

#include <ostream>

#include "common/QVREnvironment.h"
#include "common/QVRException.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRLogger.h"
#include "common/QVRUserDefaults.h"
#include "units/QVRTallixCatalogueValue.h"
#include "units/QVRTallixStringComparison.h"
#include "units/QVRTallixUnitCategory.h"
#include "units/QVRTallixUnitClassRegistry.h"

namespace {

constexpr std::string_view kNull = "(null)";

std::string_view orNull(const std::optional<std::string>& text) {
  return text ? std::string_view(*text) : kNull;
}

// The fixed point of unit conversions: `number` in `from` converted to the base unit and, when
// there is a target, from there to `to`. A failure of either step is logged with the conversion's
// message (a missing target prints as "(null)") and answers none.
std::optional<QVRTallixNumber> convertLoggingFailure(const QVRTallixNumber& number,
                                                     const QVRTallixUnit& from,
                                                     const QVRTallixUnit* to) {
  try {
    QVRTallixNumber base = from.convertToBaseUnit(number);
    if (!to) return base;
    return to->convertFromBaseUnit(base);
  } catch (const QVRException& exception) {
    QVRLogger::logException(
        exception, fmt::format("converting {}({}) to {}", from.description(), number.description(),
                               to ? to->description() : std::string(kNull)));
    return std::nullopt;
  }
}

// Whether the archive holds nothing or a text under `key`.
bool holdsTextOrNothing(QVRKeyedUnarchiver& coder, std::string_view key) {
  return !coder.containsValueForKey(key) || coder.decodeStringForKey(key).has_value();
}

// Whether the archive holds nothing or a boolean or number under `key`.
bool holdsBooleanOrNothing(QVRKeyedUnarchiver& coder, std::string_view key) {
  if (!coder.containsValueForKey(key)) return true;
  const auto value = coder.decodePropertyListForKey(key);
  return value && (value->isBoolean() || value->isNumber());
}

}  // namespace

QVRTallixUnit::QVRTallixUnit(Fields fields, QVRTallixUnitCategory* category)
    : _defaultHidden(fields.defaultHidden),
      _hidden(fields.defaultHidden),
      _name(std::move(fields.name)),
      _title(std::move(fields.title)),
      _symbol(std::move(fields.symbol)),
      _modifier(std::move(fields.modifier)),
      _modifierTitle(std::move(fields.modifierTitle)),
      _category(category) {}

QVRTallixUnit::~QVRTallixUnit() = default;

QVRTallixUnit::Fields QVRTallixUnit::fieldsFromDictionary(const Dictionary& dictionary,
                                                          QVRTallixUnitCategory& category) {
  Fields fields;
  fields.name = QVRTallixCatalogueValue::string(dictionary, "name");
  const auto titleKey = QVRTallixCatalogueValue::string(dictionary, "title");
  const auto& titleSource = titleKey ? titleKey : fields.name;
  fields.title = category.localizedString(
      titleSource ? std::optional<std::string_view>(*titleSource) : std::nullopt);
  const auto symbolKey = QVRTallixCatalogueValue::string(dictionary, "symbol");
  fields.symbol = category.localizedString(symbolKey ? std::optional<std::string_view>(*symbolKey)
                                                     : std::nullopt);
  fields.modifier = QVRTallixCatalogueValue::string(dictionary, "modifier");
  if (fields.modifier) fields.modifierTitle = category.localizedString(*fields.modifier);
  fields.defaultHidden = QVRTallixCatalogueValue::boolean(dictionary, "hidden");
  return fields;
}

std::unique_ptr<QVRTallixUnit> QVRTallixUnit::initWithDictionary(const Dictionary& dictionary,
                                                                 QVRTallixUnitCategory& category) {
  std::unique_ptr<QVRTallixUnit> unit(
      new QVRTallixUnit(fieldsFromDictionary(dictionary, category), &category));
  unit->_updateHidden();
  return unit;
}

std::optional<QVRTallixNumber> QVRTallixUnit::convertNumber(const QVRTallixNumber* number,
                                                            const QVRTallixUnit* fromUnit,
                                                            const QVRTallixUnit* toUnit) {
  if (!number || !fromUnit || !toUnit) return std::nullopt;
  return convertLoggingFailure(*number, *fromUnit, toUnit)
      .value_or(QVRTallixNumber(QVRTallixDecimal::zero()));
}

QVRTallixNumber QVRTallixUnit::convertToBaseUnit(const QVRTallixNumber& number) const {
  return number;
}

QVRTallixNumber QVRTallixUnit::convertFromBaseUnit(const QVRTallixNumber& number) const {
  return number;
}

std::string QVRTallixUnit::hiddenDefaultsKey() const {
  return fmt::format("unit.{}.{}.hidden", _category ? orNull(_category->name()) : kNull,
                     orNull(_name));
}

void QVRTallixUnit::_updateHidden() {
  const auto stored = QVREnvironment::current().userDefaults().objectForKey(hiddenDefaultsKey());
  _hidden = stored ? stored->boolValue().value_or(false) : _defaultHidden;
}

void QVRTallixUnit::setHidden(bool hidden) {
  if (hidden == _hidden) return;
  _hidden = hidden;
  if (_category) _category->_resetVisibleUnits();
  QVREnvironment::current().userDefaults().setBool(hiddenDefaultsKey(), hidden);
}

std::optional<std::string> QVRTallixUnit::title() const {
  return _title ? _title : _name;
}

void QVRTallixUnit::setModifier(std::optional<std::string> modifier) {
  _modifier = std::move(modifier);
  if (!_modifier) {
    _modifierTitle.reset();
  } else {
    _modifierTitle = _category ? _category->localizedString(*_modifier) : *_modifier;
  }
}

std::optional<QVRImageName> QVRTallixUnit::modifierImage() const {
  if (!_modifier) return std::nullopt;
  return QVRImageName("Unit:Modifier:" + *_modifier);
}

std::optional<std::string> QVRTallixUnit::titleWithModifier() const {
  if (!_modifierTitle) return _title;
  return fmt::format("{} ({})", orNull(_title), *_modifierTitle);
}

std::string QVRTallixUnit::formatedStringForNumber(const QVRTallixNumber& number) const {
  return formatedStringForNumber(number, QVRTallixNumberMaximumSignificantDigits);
}

std::string QVRTallixUnit::description() const {
  return std::string(orNull(_name));
}

const QVRTallixNumber& QVRTallixUnit::sizeInBaseUnit() const {
  if (!_sizeInBaseUnit) {
    const QVRTallixNumber one(QVRTallixDecimal::one());
    _sizeInBaseUnit = convertLoggingFailure(one, *this, nullptr).value_or(QVRTallixNumber::nan());
  }
  return *_sizeInBaseUnit;
}

std::optional<QVRComparisonResult> QVRTallixUnit::compareOrderingKinds(const QVRTallixUnit& left,
                                                                       const QVRTallixUnit& right) {
  if (left.isOrderedByTitle() == right.isOrderedByTitle()) return std::nullopt;
  return left.isOrderedByTitle() ? QVRComparisonResult::orderedDescending
                                 : QVRComparisonResult::orderedAscending;
}

QVRComparisonResult QVRTallixUnit::compare(const QVRTallixUnit& other) const {
  if (auto byKind = compareOrderingKinds(*this, other)) return *byKind;
  const QVRComparisonResult bySize = sizeInBaseUnit().compare(other.sizeInBaseUnit());
  if (bySize != QVRComparisonResult::orderedSame) return bySize;
  return QVRTallixStringComparison::compare(titleWithModifier().value_or(""),
                                            other.titleWithModifier().value_or(""));
}

void QVRTallixUnit::encodeWithCoder(QVRKeyedArchiver& coder) const {
  coder.encodeObject("category", static_cast<const QVRTallixUnitCategory*>(_category));
  if (_name) coder.encodeString("name", *_name);
  if (_title) coder.encodeString("title", *_title);
  coder.encodeString("symbol", _symbol);
  coder.encodeBool("defaultHidden", _defaultHidden);
}

std::optional<QVRTallixUnit::Fields> QVRTallixUnit::fieldsFromCoder(QVRKeyedUnarchiver& coder) {
  if (!holdsTextOrNothing(coder, "name") || !holdsTextOrNothing(coder, "title") ||
      !holdsTextOrNothing(coder, "symbol") || !holdsBooleanOrNothing(coder, "defaultHidden") ||
      !coder.containsValueForKey("category")) {
    return std::nullopt;
  }
  Fields fields;
  fields.name = coder.decodeStringForKey("name");
  fields.title = coder.decodeStringForKey("title");
  fields.symbol = coder.decodeStringForKey("symbol").value_or("");
  fields.defaultHidden = coder.decodeBoolForKey("defaultHidden");
  return fields;
}

bool QVRTallixUnit::finishDecoding(QVRTallixUnit& unit, QVRKeyedUnarchiver& coder) {
  // Inside a category being decoded, "category" refers back to it; a unit decoded on its own
  // decodes its category, which lists this unit among its units: the registration lets that
  // reference find this object instead of decoding it again.
  if (auto* outer = coder.decodeReferenceOfClass<QVRTallixUnitCategory>("category")) {
    unit._category = outer;
  } else {
    coder.registerDecodedObject<QVRTallixUnit>(unit);
    unit._decodedCategory = coder.decodeObjectOfClass<QVRTallixUnitCategory>("category");
    if (!unit._decodedCategory) return false;
    unit._category = unit._decodedCategory.get();
  }
  unit._updateHidden();
  return true;
}

std::unique_ptr<QVRTallixUnit> QVRTallixUnit::initWithCoder(QVRKeyedUnarchiver& coder) {
  const auto* unitClass = QVRTallixUnitClassRegistry::unitClassNamed(coder.className());
  if (!unitClass) return nullptr;
  return unitClass->makeWithCoder(coder);
}

std::vector<std::string_view> QVRTallixUnit::decodableClassNames() {
  std::vector<std::string_view> names;
  for (const auto& unitClass : QVRTallixUnitClassRegistry::unitClasses()) {
    names.push_back(unitClass.name);
  }
  return names;
}

void PrintTo(const QVRTallixUnit& unit, std::ostream* stream) {
  *stream << unit.description();
}

std::unique_ptr<QVRTallixUnit> QVRTallixUnit::initPlainUnitWithCoder(QVRKeyedUnarchiver& coder) {
  auto fields = fieldsFromCoder(coder);
  if (!fields) return nullptr;
  std::unique_ptr<QVRTallixUnit> unit(new QVRTallixUnit(std::move(*fields), nullptr));
  if (!finishDecoding(*unit, coder)) return nullptr;
  return unit;
}
