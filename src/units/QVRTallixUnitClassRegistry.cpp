#include "units/QVRTallixUnitClassRegistry.h"

#include <array>

#include "units/QVRTallixCurrencyUnit.h"
#include "units/QVRTallixCurrencyUnitCategory.h"
#include "units/QVRTallixFormulaUnit.h"
#include "units/QVRTallixUnit.h"
#include "units/QVRTallixUnitCategory.h"

namespace {

using Dictionary = QVRPropertyList::Dictionary;

constexpr std::array kUnitClasses{
    QVRTallixUnitClassRegistry::UnitClass{
        "QVRTallixUnit",
        [](const Dictionary& dictionary, QVRTallixUnitCategory& category) {
          return QVRTallixUnit::initWithDictionary(dictionary, category);
        },
        [](QVRKeyedUnarchiver& coder) { return QVRTallixUnit::initPlainUnitWithCoder(coder); }},
    QVRTallixUnitClassRegistry::UnitClass{
        "QVRTallixFormulaUnit",
        [](const Dictionary& dictionary, QVRTallixUnitCategory& category) {
          return std::unique_ptr<QVRTallixUnit>(
              QVRTallixFormulaUnit::initWithDictionary(dictionary, category));
        },
        [](QVRKeyedUnarchiver& coder) {
          return std::unique_ptr<QVRTallixUnit>(QVRTallixFormulaUnit::initWithCoder(coder));
        }},
    QVRTallixUnitClassRegistry::UnitClass{
        "QVRTallixCurrencyUnit",
        [](const Dictionary& dictionary, QVRTallixUnitCategory& category) {
          return std::unique_ptr<QVRTallixUnit>(
              QVRTallixCurrencyUnit::initWithDictionary(dictionary, category));
        },
        [](QVRKeyedUnarchiver& coder) {
          return std::unique_ptr<QVRTallixUnit>(QVRTallixCurrencyUnit::initWithCoder(coder));
        }},
};

constexpr std::array kCategoryClasses{
    QVRTallixUnitClassRegistry::CategoryClass{
        "QVRTallixUnitCategory",
        [](const Dictionary& dictionary, std::optional<Dictionary> strings) {
          return QVRTallixUnitCategory::initWithDictionary(dictionary, std::move(strings));
        },
        [](QVRKeyedUnarchiver& coder) {
          return QVRTallixUnitCategory::initPlainCategoryWithCoder(coder);
        }},
    QVRTallixUnitClassRegistry::CategoryClass{
        "QVRTallixCurrencyUnitCategory",
        [](const Dictionary& dictionary, std::optional<Dictionary> strings) {
          return std::unique_ptr<QVRTallixUnitCategory>(
              QVRTallixCurrencyUnitCategory::initWithDictionary(dictionary, std::move(strings)));
        },
        [](QVRKeyedUnarchiver& coder) {
          return std::unique_ptr<QVRTallixUnitCategory>(
              QVRTallixCurrencyUnitCategory::initWithCoder(coder));
        }},
};

template <class Entry, std::size_t count>
const Entry* named(const std::array<Entry, count>& entries, std::string_view name) {
  for (const Entry& entry : entries) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

}  // namespace

std::span<const QVRTallixUnitClassRegistry::UnitClass> QVRTallixUnitClassRegistry::unitClasses() {
  return kUnitClasses;
}

std::span<const QVRTallixUnitClassRegistry::CategoryClass>
QVRTallixUnitClassRegistry::categoryClasses() {
  return kCategoryClasses;
}

const QVRTallixUnitClassRegistry::UnitClass* QVRTallixUnitClassRegistry::unitClassNamed(
    std::string_view name) {
  return named(kUnitClasses, name);
}

const QVRTallixUnitClassRegistry::UnitClass* QVRTallixUnitClassRegistry::unitClassNamed(
    const QVRPropertyList* value) {
  const std::string* name = value ? value->string() : nullptr;
  return name ? unitClassNamed(*name) : nullptr;
}

const QVRTallixUnitClassRegistry::CategoryClass* QVRTallixUnitClassRegistry::categoryClassNamed(
    std::string_view name) {
  return named(kCategoryClasses, name);
}

const QVRTallixUnitClassRegistry::CategoryClass* QVRTallixUnitClassRegistry::categoryClassNamed(
    const QVRPropertyList* value) {
  const std::string* name = value ? value->string() : nullptr;
  return name ? categoryClassNamed(*name) : nullptr;
}

std::vector<std::string> QVRTallixUnitClassRegistry::archiveClassNames() {
  std::vector<std::string> names;
  for (const auto& entry : kUnitClasses) names.emplace_back(entry.name);
  for (const auto& entry : kCategoryClasses) names.emplace_back(entry.name);
  return names;
}
