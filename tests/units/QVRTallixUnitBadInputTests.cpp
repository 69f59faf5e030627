#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRUserDefaults.h"
#include "units/QVRTallixFormulaUnit.h"
#include "units/QVRTallixUnitClassRegistry.h"
#include "units/UnitFixtures.h"

using namespace UnitFixtures;

namespace {

using Names = std::vector<std::string>;

class QVRTallixUnitBadInputTests : public TallixTest {};

// Categories and units of the wrong kind or without a usable class are skipped and logged;
// values of the wrong kind take their fallbacks.
TEST_F(QVRTallixUnitBadInputTests, CatalogueValuesOfTheWrongKindAreSkippedOrTakeTheirFallbacks) {
  for (const QVRPropertyList& value : {QVRPropertyList("Length"), QVRPropertyList(42)}) {
    auto fresh = QVREnvironment::makeForTesting();
    QVREnvironment::Installation installation(*fresh);
    QVRConfiguration::sharedConfiguration().replaceValues(Dictionary{{"categories", value}});
    EXPECT_TRUE(QVRTallixUnitCategory::allCategories().empty());
  }
  environment().userDefaults().setObject("unit.TestLength.metre.hidden", "garbage");
  const Array oddUnits{plainUnit("base"),
                       Dictionary{{"name", "no-class"}},
                       Dictionary{{"class", "qvrtallixformulaunit"}, {"name", "wrong-case"}},
                       "not a dictionary",
                       Dictionary{{"class", "QVRTallixFormulaUnit"},
                                  {"name", "odd-fields"},
                                  {"title", 3},
                                  {"symbol", Array{"s"}},
                                  {"hidden", "YES"},
                                  {"to", 1000},
                                  {"from", Array{"X"}}},
                       Dictionary{{"class", "QVRTallixFormulaUnit"}, {"hidden", 0}}};
  // clang-format off
  useCatalogue({"Length", Array{1, 2}, lengthCategory(),
                Dictionary{{"name", 12}, {"title", Array{"x"}}, {"units", "metre"},
                           {"precision", "many"}, {"defaultFromUnitName", 3}, {"class", 99}},
                Dictionary{{"name", "NegativePrecision"}, {"precision", -4}},
                Dictionary{{"name", "RealPrecision"}, {"precision", 2.9}},
                Dictionary{{"name", "NaNPrecision"}, {"precision", std::nan("")}},
                categoryEntry("Odd", oddUnits)});
  // clang-format on
  const auto& all = QVRTallixUnitCategory::allCategories();
  const std::string noClass = ": its \"class\" names no unit class";
  EXPECT_EQ(log().lines(), (Names{"Skipping entry 0 of the unit catalogue: not a dictionary",
                                  "Skipping entry 1 of the unit catalogue: not a dictionary",
                                  "Skipping unit 1 of the category Odd" + noClass,
                                  "Skipping unit 2 of the category Odd" + noClass,
                                  "Skipping unit 3 of the category Odd: not a dictionary"}));
  ASSERT_EQ(all.size(), 6u);
  const auto unnamed = std::find_if(all.begin(), all.end(), [](auto* c) { return !c->name(); });
  ASSERT_NE(unnamed, all.end());
  EXPECT_EQ((*unnamed)->description(), "(null) (\n)");
  EXPECT_EQ((*unnamed)->title(), "");
  for (const auto& [name, precision] :
       {std::pair{"NegativePrecision", 0u}, std::pair{"RealPrecision", 2u},
        std::pair{"NaNPrecision", 0u}}) {
    EXPECT_EQ(QVRTallixUnitCategory::categoryNamed(name)->precision(), precision) << name;
  }
  QVRTallixUnitCategory* length = QVRTallixUnitCategory::categoryNamed("TestLength");
  EXPECT_FALSE(length->unitNamed("metre")->isHidden());

  QVRTallixUnitCategory* odd = QVRTallixUnitCategory::categoryNamed("Odd");
  ASSERT_EQ(odd->units().size(), 3u);
  const auto* fields = dynamic_cast<const QVRTallixFormulaUnit*>(odd->unitNamed("odd-fields"));
  ASSERT_NE(fields, nullptr);
  EXPECT_EQ(fields->title(), "odd-fields");
  EXPECT_EQ(fields->symbol(), "");
  EXPECT_TRUE(fields->defaultHidden());
  EXPECT_FALSE(fields->toFormula() || fields->fromFormula());
  // Without formulas the unit converts everything to zero, without a log line.
  log().clear();
  const QVRTallixNumber three = number("3");
  EXPECT_EQ(QVRTallixUnit::convertNumber(&three, fields, odd->unitNamed("base"))->decimalNumber(),
            QVRTallixDecimal::zero());
  EXPECT_EQ(odd->unitNamed(std::nullopt), nullptr);
  EXPECT_TRUE(log().lines().empty());
}

// Currencies order by title and other units by size; a category that holds both kinds (no
// bundled one does) must still sort in one order: the sized units first, then the currencies.
TEST_F(QVRTallixUnitBadInputTests, CategoriesMixingCurrenciesAndSizedUnitsSortInOneOrder) {
  const auto currency = [](std::string_view name) {
    return unitEntry("QVRTallixCurrencyUnit", name, {});
  };
  const auto category = makeCategory(categoryEntry(
      "Mixed", {currency("usd"), formulaUnit("kilometre", "X 1000 *"), currency("aud"),
                plainUnit("metre"), currency("chf"), formulaUnit("broken", "+")}));
  Names order;
  const auto& units = category->units();
  for (const QVRTallixUnit* unit : units) order.push_back(unit->name().value_or(""));
  EXPECT_EQ(order, (Names{"broken", "metre", "kilometre", "aud", "chf", "usd"}));
  for (const QVRTallixUnit* left : units) {
    for (const QVRTallixUnit* right : units) {
      const int forward = static_cast<int>(left->compare(*right));
      const int backward = static_cast<int>(right->compare(*left));
      EXPECT_EQ(forward, -backward) << left->description() << " / " << right->description();
    }
  }
}

std::unique_ptr<QVRTallixUnit> decodeUnit(QVRPropertyList archive) {
  auto unarchiver = QVRKeyedUnarchiver::withPropertyList(
      std::move(archive), QVRTallixUnitClassRegistry::archiveClassNames());
  return std::move(unarchiver.decodeRootObjectOfClass<QVRTallixUnit>().value);
}

TEST_F(QVRTallixUnitBadInputTests, CorruptArchivedUnitsAndCategoriesDecodeToNone) {
  const auto category = makeCategory(lengthCategory());
  QVRKeyedArchiver archiver;
  archiver.encodeObject(QVRKeyedArchiver::rootKey, *category->unitNamed("kilometre"));
  const QVRPropertyList good = archiver.archivedPropertyList();
  // Intact, the unit comes back with a category of its own that lists it and converts.
  const auto copy = decodeUnit(good);
  ASSERT_TRUE(copy && copy->category());
  EXPECT_EQ(copy->description(), "kilometre from=(null) to=X 1000 *");
  EXPECT_EQ(copy->category()->description(), category->description());
  EXPECT_EQ(copy->category()->unitNamed("kilometre"), copy.get());
  const QVRTallixNumber two = number("2");
  EXPECT_EQ(QVRTallixUnit::convertNumber(&two, copy.get(), copy->category()->unitNamed("metre"))
                ->decimalNumber(),
            decimal("2000"));
  // Finds the record that holds `key` and changes it.
  using Change = std::function<void(QVRPropertyList::Dictionary&)>;
  const auto changed = [&](std::string_view key, const Change& change) {
    QVRPropertyList archive = good;
    for (QVRPropertyList& object : *archive.dictionary()->at("$objects").array()) {
      if (auto* record = object.dictionary(); record && record->contains(key)) change(*record);
    }
    return archive;
  };
  // clang-format off
  const struct { const char* title; std::string_view key; Change change; } cases[] = {
      {"a name that is no text", "toFormula", [](auto& record) { record["name"] = 17; }},
      {"a category reference out of range", "toFormula",
       [](auto& record) { record["category"] = QVRPropertyList::UID{999}; }},
      {"a visibility that is text", "toFormula", [](auto& record) { record["defaultHidden"] = "yes"; }},
      {"units that are text", "defaultToUnitName", [](auto& record) { record["units"] = "metre"; }},
      {"units that refer to the category itself", "defaultToUnitName",
       [](auto& record) { record["units"] = record["name"]; }},
  };
  // clang-format on
  for (const auto& item : cases) {
    SCOPED_TRACE(item.title);
    EXPECT_EQ(decodeUnit(changed(item.key, item.change)), nullptr);
  }
  auto unarchiver = QVRKeyedUnarchiver::withPropertyList(good, {"QVRTallixFormulaUnit"});
  EXPECT_FALSE(unarchiver.decodeRootObjectOfClass<QVRTallixUnit>().value);
}

}  // namespace
