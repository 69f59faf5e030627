#include <gtest/gtest.h>

#include <algorithm>
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

TEST_F(QVRTallixUnitBadInputTests, ACategoriesValueThatIsNoListGivesAnEmptyCatalogue) {
  const QVRPropertyList values[] = {QVRPropertyList("Length"), QVRPropertyList(42),
                                    QVRPropertyList(Dictionary{{"name", "Length"}}),
                                    QVRPropertyList(QVRPropertyList::Data{1, 2, 3})};
  for (const QVRPropertyList& value : values) {
    auto fresh = QVREnvironment::makeForTesting();
    QVREnvironment::Installation installation(*fresh);
    QVRConfiguration::sharedConfiguration().replaceValues(Dictionary{{"categories", value}});
    EXPECT_TRUE(QVRTallixUnitCategory::allCategories().empty());
    EXPECT_TRUE(QVRTallixUnitCategory::visibleCategories().empty());
    EXPECT_EQ(QVRTallixUnitCategory::defaultCategory(), nullptr);
  }
  // Entries that are no dictionaries are skipped, and said so in the log; the rest loads.
  useCatalogue({"Length", 7, Array{1, 2}, temperatureCategory()});
  EXPECT_EQ(namesOf(QVRTallixUnitCategory::allCategories()), (Names{"Temperature"}));
  EXPECT_EQ(log().lines(), (Names{"Skipping entry 0 of the unit catalogue: not a dictionary",
                                  "Skipping entry 1 of the unit catalogue: not a dictionary",
                                  "Skipping entry 2 of the unit catalogue: not a dictionary"}));
}

TEST_F(QVRTallixUnitBadInputTests, CategoryValuesOfTheWrongKindTakeTheirFallbacks) {
  useCatalogue({Dictionary{{"name", 12},
                           {"title", Array{"x"}},
                           {"units", "metre"},
                           {"precision", "many"},
                           {"defaultFromUnitName", 3},
                           {"defaultToUnitName", false},
                           {"hidden", "perhaps"},
                           {"class", 99}},
                Dictionary{{"name", "NegativePrecision"}, {"precision", -4}},
                Dictionary{{"name", "BoolPrecision"}, {"precision", true}},
                Dictionary{{"name", "RealPrecision"}, {"precision", 2.9}},
                Dictionary{{"name", "HugePrecision"}, {"precision", 1e30}},
                Dictionary{{"name", "NaNPrecision"}, {"precision", std::nan("")}}});
  const auto& all = QVRTallixUnitCategory::allCategories();
  ASSERT_EQ(all.size(), 6u);
  const auto unnamed = std::find_if(all.begin(), all.end(), [](auto* c) { return !c->name(); });
  ASSERT_NE(unnamed, all.end());
  // A title key that is no text localises the name, which is none: the empty string.
  EXPECT_EQ((*unnamed)->description(), "(null) (\n)");
  EXPECT_EQ((*unnamed)->title(), "");
  EXPECT_EQ((*unnamed)->precision(), 0u);
  EXPECT_FALSE((*unnamed)->defaultFromUnitName() || (*unnamed)->defaultToUnitName());
  EXPECT_EQ((*unnamed)->defaultFromUnit(), nullptr);
  EXPECT_EQ((*unnamed)->imageName(), "(null):Category");
  const struct {
    const char* name;
    std::uint64_t precision;
  } precisions[] = {{"NegativePrecision", 0},
                    {"BoolPrecision", 1},
                    {"RealPrecision", 2},
                    {"HugePrecision", 0},
                    {"NaNPrecision", 0}};
  for (const auto& item : precisions) {
    EXPECT_EQ(QVRTallixUnitCategory::categoryNamed(item.name)->precision(), item.precision)
        << item.name;
  }
}

TEST_F(QVRTallixUnitBadInputTests, UnitEntriesWithoutAUsableClassAreSkippedAndLogged) {
  useCatalogue({categoryEntry(
      "Odd", {plainUnit("base"), Dictionary{{"name", "no-class"}},
              Dictionary{{"class", "QVRTallixNoSuchUnit"}, {"name", "unknown-class"}},
              Dictionary{{"class", 5}, {"name", "numeric-class"}},
              Dictionary{{"class", "QVRTallixUnitCategory"}, {"name", "category-class"}},
              Dictionary{{"class", "QVRTallixCurrencyUnit"}, {"name", "currency-not-yet"}},
              "not a dictionary",
              Dictionary{{"class", "QVRTallixFormulaUnit"},
                         {"name", "odd-fields"},
                         {"title", 3},
                         {"symbol", Array{"s"}},
                         {"modifier", 1},
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
  EXPECT_FALSE(fields->modifier());
  EXPECT_TRUE(fields->defaultHidden());
  EXPECT_FALSE(fields->toFormula());
  EXPECT_FALSE(fields->fromFormula());
  // Without formulas the unit converts everything to zero, without a log line.
  log().clear();
  const QVRTallixNumber three = number("3");
  EXPECT_EQ(QVRTallixUnit::convertNumber(&three, fields, odd->unitNamed("base"))->decimalNumber(),
            QVRTallixDecimal::zero());
  // A unit without a name: no lookup finds it; its title is the empty string.
  const QVRTallixUnit* nameless = nullptr;
  for (const QVRTallixUnit* unit : odd->units()) {
    if (!unit->name()) nameless = unit;
  }
  ASSERT_NE(nameless, nullptr);
  EXPECT_EQ(nameless->title(), "");
  EXPECT_EQ(nameless->description(), "(null) from=(null) to=(null)");
  EXPECT_EQ(nameless->hiddenDefaultsKey(), "unit.Odd.(null).hidden");
  EXPECT_EQ(odd->unitNamed(std::nullopt), nullptr);
  EXPECT_TRUE(log().lines().empty());
}

TEST_F(QVRTallixUnitBadInputTests, StoredPreferencesOfTheWrongKindNeverTrap) {
  QVRUserDefaults& defaults = environment().userDefaults();
  defaults.setObject("unit.TestLength.metre.hidden", "garbage");
  defaults.setObject("unit.TestLength.kilometre.hidden", QVRPropertyList::Data{0xFF});
  defaults.setObject("TestLength.DefaultFromUnit", Array{"x"});
  defaults.setObject("TestLength.DefaultToUnit", Dictionary{{"kilometre", true}});
  defaults.setObject("DefaultCategory", 42);
  useCatalogue({lengthCategory()});
  QVRTallixUnitCategory* length = QVRTallixUnitCategory::categoryNamed("TestLength");
  ASSERT_NE(length, nullptr);
  EXPECT_FALSE(length->unitNamed("metre")->isHidden());
  EXPECT_FALSE(length->unitNamed("kilometre")->isHidden());
  EXPECT_EQ(length->defaultFromUnit()->name(), "metre");
  EXPECT_EQ(length->defaultToUnit()->name(), "kilometre");
  EXPECT_EQ(QVRTallixUnitCategory::defaultCategory(), length);
}

TEST_F(QVRTallixUnitBadInputTests, BrokenFormulasLoadAndFailOnlyTheirOwnConversions) {
  enum Outcome { nan, quietZero, loggedZero };
  const struct {
    const char* formula;
    Outcome outcome;
  } cases[] = {
      {"+", loggedZero},
      {"-", loggedZero},
      {"*", loggedZero},
      {"/", loggedZero},
      {"X +", loggedZero},
      {"X 2 * +", loggedZero},
      {"X 0 /", quietZero},
      {"0 0 /", quietZero},
      {"X abc *", nan},
      {"abc", nan},
      {"", nan},
      {"X  *", nan},
      {"1e200", nan},
      {"X 1e127 * 1e127 *", loggedZero},
      {"X 1e-127 * 1e-127 *", loggedZero},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(std::string("\"") + item.formula + "\"");
    auto fresh = QVREnvironment::makeForTesting();
    QVREnvironment::Installation installation(*fresh);
    useCatalogue({categoryEntry("Broken", {plainUnit("base"), formulaUnit("broken", item.formula),
                                           formulaUnit("fine", "X 2 *")})});
    QVRTallixUnitCategory* broken = QVRTallixUnitCategory::categoryNamed("Broken");
    ASSERT_NE(broken, nullptr);
    ASSERT_EQ(broken->units().size(), 3u);
    QVRTallixUnit* unit = broken->unitNamed("broken");
    QVRTallixUnit* base = broken->unitNamed("base");
    const QVRTallixNumber five = number("5");
    for (const auto& [from, to] : {std::pair(unit, base), std::pair(base, unit)}) {
      fresh->memoryLogSink()->clear();
      const auto result = QVRTallixUnit::convertNumber(&five, from, to);
      ASSERT_TRUE(result);
      if (item.outcome == nan) {
        EXPECT_TRUE(result->decimalNumber()->isNaN());
      } else {
        EXPECT_EQ(result->decimalNumber(), QVRTallixDecimal::zero());
      }
      const auto lines = fresh->memoryLogSink()->lines();
      ASSERT_EQ(lines.size(), item.outcome == loggedZero ? 1u : 0u);
      if (!lines.empty()) {
        EXPECT_TRUE(lines.front().starts_with("converting "));
      }
    }
    // The other units of the category are not affected.
    EXPECT_EQ(QVRTallixUnit::convertNumber(&five, broken->unitNamed("fine"), base)->decimalNumber(),
              decimal("10"));
  }
}

// The archive of the kilometre of the test length category, as a property list.
QVRPropertyList kilometreArchive(const QVRTallixUnitCategory& category) {
  QVRKeyedArchiver archiver;
  archiver.encodeObject(QVRKeyedArchiver::rootKey, *category.unitNamed("kilometre"));
  return archiver.archivedPropertyList();
}

std::unique_ptr<QVRTallixUnit> decodeUnit(QVRPropertyList archive) {
  auto unarchiver = QVRKeyedUnarchiver::withPropertyList(
      std::move(archive), QVRTallixUnitClassRegistry::archiveClassNames());
  return std::move(unarchiver.decodeRootObjectOfClass<QVRTallixUnit>().value);
}

TEST_F(QVRTallixUnitBadInputTests, CorruptArchivedUnitsAndCategoriesDecodeToNone) {
  const auto category = makeCategory(lengthCategory());
  const QVRPropertyList good = kilometreArchive(*category);
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
  const struct {
    const char* title;
    std::string_view key;
    Change change;
  } cases[] = {
      {"a name that is no text", "toFormula", [](auto& record) { record["name"] = 17; }},
      {"a formula that is no text", "toFormula",
       [](auto& record) { record["toFormula"] = Array{"X"}; }},
      {"a unit without its category", "toFormula", [](auto& record) { record.erase("category"); }},
      {"a category reference out of range", "toFormula",
       [](auto& record) { record["category"] = QVRPropertyList::UID{999}; }},
      {"a category that is text", "toFormula", [](auto& record) { record["category"] = "Length"; }},
      {"a visibility that is text", "toFormula",
       [](auto& record) { record["defaultHidden"] = "yes"; }},
      {"units that are text", "defaultToUnitName", [](auto& record) { record["units"] = "metre"; }},
      {"a precision that is text", "defaultToUnitName",
       [](auto& record) { record["precision"] = "seven"; }},
      {"a default name that is a number", "defaultToUnitName",
       [](auto& record) { record["defaultFromUnitName"] = 3; }},
      {"units that refer to the category itself", "defaultToUnitName",
       [](auto& record) { record["units"] = record["name"]; }},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(item.title);
    EXPECT_EQ(decodeUnit(changed(item.key, item.change)), nullptr);
  }
  // Classes the reader does not allow refuse the archive.
  for (const std::vector<std::string>& allowed :
       {std::vector<std::string>{"QVRTallixUnit", "QVRTallixUnitCategory"},
        std::vector<std::string>{"QVRTallixFormulaUnit"}}) {
    auto unarchiver = QVRKeyedUnarchiver::withPropertyList(good, allowed);
    EXPECT_FALSE(unarchiver.decodeRootObjectOfClass<QVRTallixUnit>().value);
  }
}

TEST_F(QVRTallixUnitBadInputTests, DamagedArchiveBytesNeverTrapTheDecoder) {
  const auto category = makeCategory(temperatureCategory());
  auto bytes = QVRKeyedArchiver::archivedDataWithRootObject(*category->unitNamed("fahrenheit"));
  ASSERT_TRUE(bytes.value);
  const std::uint64_t seed = SeededRandom::testSeed(0xa4c1'1fe);
  SeededRandom random(seed);
  int decoded = 0;
  for (int round = 0; round < 3000; ++round) {
    QVRPropertyList::Data data = *bytes.value;
    const int changes = static_cast<int>(random.between(1, 6));
    for (int change = 0; change < changes; ++change) {
      data[static_cast<std::size_t>(
          random.between(0, static_cast<std::int64_t>(data.size()) - 1))] =
          static_cast<std::uint8_t>(random.between(0, 255));
    }
    auto unit = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixUnit>(
        data, QVRTallixUnitClassRegistry::archiveClassNames());
    if (!unit.value) continue;
    ++decoded;
    // Whatever decoded must convert and describe itself.
    const QVRTallixNumber one = number("1");
    QVRTallixUnit::convertNumber(&one, unit.value.get(), unit.value.get());
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
