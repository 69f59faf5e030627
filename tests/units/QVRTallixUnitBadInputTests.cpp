#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRUserDefaults.h"
#include "support/SeededRandom.h"
#include "units/QVRTallixFormulaUnit.h"
#include "units/QVRTallixUnitClassRegistry.h"
#include "units/UnitFixtures.h"

using namespace UnitFixtures;

namespace {

using Names = std::vector<std::string>;

class QVRTallixUnitBadInputTests : public TallixTest {};

TEST_F(QVRTallixUnitBadInputTests, CatalogueValuesOfTheWrongKindAreSkippedOrTakeTheirFallbacks) {
  for (const QVRPropertyList& value : {QVRPropertyList("Length"), QVRPropertyList(42)}) {
    auto fresh = QVREnvironment::makeForTesting();
    QVREnvironment::Installation installation(*fresh);
    QVRConfiguration::sharedConfiguration().replaceValues(Dictionary{{"categories", value}});
    EXPECT_TRUE(QVRTallixUnitCategory::allCategories().empty());
    EXPECT_EQ(QVRTallixUnitCategory::defaultCategory(), nullptr);
  }
  environment().userDefaults().setObject("TestLength.DefaultFromUnit", Array{"x"});
  environment().userDefaults().setObject("unit.TestLength.metre.hidden", "garbage");
  useCatalogue({"Length", Array{1, 2}, lengthCategory(),
                // clang-format off
                Dictionary{{"name", 12}, {"title", Array{"x"}}, {"units", "metre"}, {"precision", "many"},
                           {"defaultFromUnitName", 3}, {"class", 99}},
                // clang-format on
                Dictionary{{"name", "NegativePrecision"}, {"precision", -4}},
                Dictionary{{"name", "BoolPrecision"}, {"precision", true}},
                Dictionary{{"name", "RealPrecision"}, {"precision", 2.9}},
                Dictionary{{"name", "HugePrecision"}, {"precision", 1e30}},
                Dictionary{{"name", "NaNPrecision"}, {"precision", std::nan("")}}});
  const auto& all = QVRTallixUnitCategory::allCategories();
  EXPECT_EQ(log().lines(), (Names{"Skipping entry 0 of the unit catalogue: not a dictionary",
                                  "Skipping entry 1 of the unit catalogue: not a dictionary"}));
  ASSERT_EQ(all.size(), 7u);
  const auto unnamed = std::find_if(all.begin(), all.end(), [](auto* c) { return !c->name(); });
  ASSERT_NE(unnamed, all.end());
  EXPECT_EQ((*unnamed)->description(), "(null) (\n)");
  EXPECT_EQ((*unnamed)->title(), "");
  EXPECT_EQ((*unnamed)->defaultFromUnit(), nullptr);
  for (const auto& [name, precision] :
       {std::pair{"NegativePrecision", 0u}, std::pair{"BoolPrecision", 1u},
        std::pair{"RealPrecision", 2u}, std::pair{"HugePrecision", 0u},
        std::pair{"NaNPrecision", 0u}}) {
    EXPECT_EQ(QVRTallixUnitCategory::categoryNamed(name)->precision(), precision) << name;
  }
  QVRTallixUnitCategory* length = QVRTallixUnitCategory::categoryNamed("TestLength");
  EXPECT_FALSE(length->unitNamed("metre")->isHidden());
  EXPECT_EQ(length->defaultFromUnit()->name(), "metre");
}

TEST_F(QVRTallixUnitBadInputTests, UnitEntriesWithoutAUsableClassAreSkippedAndLogged) {
  useCatalogue({categoryEntry(
      "Odd",
      {plainUnit("base"), Dictionary{{"name", "no-class"}},
       Dictionary{{"class", "QVRTallixNoSuchUnit"}, {"name", "unknown-class"}},
       Dictionary{{"class", 5}, {"name", "numeric-class"}},
       Dictionary{{"class", "QVRTallixUnitCategory"}, {"name", "category-class"}},
       Dictionary{{"class", "qvrtallixformulaunit"}, {"name", "wrong-case"}}, "not a dictionary",
       Dictionary{{"class", "QVRTallixFormulaUnit"},
                  {"name", "odd-fields"},
                  {"title", 3},
                  {"symbol", Array{"s"}},
                  {"hidden", "YES"},
                  {"to", 1000},
                  {"from", Array{"X"}}},
       Dictionary{{"class", "QVRTallixFormulaUnit"}, {"hidden", 0}}})});
  QVRTallixUnitCategory* odd = QVRTallixUnitCategory::categoryNamed("Odd");
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(odd->units().size(), 3u);
  EXPECT_EQ(log().countContaining("\"class\" names no unit class"), 5u);
  EXPECT_EQ(log().lines().front(),
            "Skipping unit 1 of the category Odd: its \"class\" names no unit class");
  EXPECT_EQ(log().countContaining("Skipping unit 6 of the category Odd: not a dictionary"), 1u);

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
  ASSERT_NE(decodeUnit(good), nullptr);
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

TEST_F(QVRTallixUnitBadInputTests, DamagedArchiveBytesNeverTrapTheDecoder) {
  const auto category = makeCategory(temperatureCategory());
  auto bytes = QVRKeyedArchiver::archivedDataWithRootObject(*category->unitNamed("fahrenheit"));
  ASSERT_TRUE(bytes.value);
  const std::uint64_t seed = SeededRandom::testSeed(0xa4c1'1fe);
  SeededRandom random(seed);
  int decoded = 0;
  const QVRTallixNumber one = number("1");
  for (int round = 0; round < 3000; ++round) {
    QVRPropertyList::Data data = *bytes.value;
    for (auto changes = random.between(1, 6); changes > 0; --changes) {
      data[static_cast<std::size_t>(
          random.between(0, static_cast<std::int64_t>(data.size()) - 1))] =
          static_cast<std::uint8_t>(random.between(0, 255));
    }
    auto unit = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixUnit>(
        data, QVRTallixUnitClassRegistry::archiveClassNames());
    if (!unit.value) continue;
    ++decoded;
    // Whatever decoded must convert and describe itself.
    if (QVRTallixUnitCategory* owner = unit.value->category()) {
      SCOPED_TRACE(owner->description());
      for (const QVRTallixUnit* other : owner->units()) {
        QVRTallixUnit::convertNumber(&one, other, unit.value.get());
      }
    }
  }
  EXPECT_GT(decoded, 0) << "seed " << seed;
}

}  // namespace
