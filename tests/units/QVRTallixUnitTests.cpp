#include <gtest/gtest.h>

#include <algorithm>
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

class QVRTallixUnitTests : public TallixTest {
 protected:
  QVRUserDefaults& defaults() { return environment().userDefaults(); }
};

TEST_F(QVRTallixUnitTests, ConversionsPassThroughTheBaseValue) {
  const auto length = makeCategory(lengthCategory());
  const auto temperature = makeCategory(temperatureCategory());
  const QVRTallixUnit* metre = &unit(*length, "metre");
  const QVRTallixNumber one = number("1");
  // Without a number or a unit there is no result, and nothing is logged.
  EXPECT_FALSE(QVRTallixUnit::convertNumber(nullptr, metre, metre));
  EXPECT_FALSE(QVRTallixUnit::convertNumber(&one, nullptr, metre));
  EXPECT_FALSE(QVRTallixUnit::convertNumber(&one, metre, nullptr));
  // Plain units convert by identity: 38 digits come back unrounded.
  const QVRTallixNumber wide = number("123.45678901234567890123456789012345678");
  EXPECT_TRUE(QVRTallixUnit::convertNumber(&wide, metre, metre)->isEqual(wide));
  // Units of different categories are not refused: 1 km is 1000 m, taken as 1000 K = 726.85 °C.
  EXPECT_EQ(QVRTallixUnit::convertNumber(&one, &unit(*length, "kilometre"),
                                         &unit(*temperature, "celsius"))
                ->decimalNumber(),
            decimal("726.85"));
  EXPECT_TRUE(log().lines().empty());
}

TEST_F(QVRTallixUnitTests, AFailedConversionGivesZeroAndLogsSourceNumberAndTarget) {
  const auto category = makeCategory(
      categoryEntry("Broken", {plainUnit("base"), formulaUnit("huge", "X 1e100 * 1e100 *")}));
  const QVRTallixUnit* huge = &unit(*category, "huge");
  const QVRTallixUnit* base = &unit(*category, "base");
  const QVRTallixNumber two = number("2");
  const struct {
    const QVRTallixUnit* from;
    const QVRTallixUnit* to;
    const char* line;
  } cases[] = {
      {huge, base,
       "converting huge from=(null) to=X 1e100 * 1e100 *(QVRTallixNumber(2)) to base: "
       "NSDecimalNumberOverflowException: Decimal number overflow"},
      // Inverted, the formula divides twice: 2 ÷ 10^200 is below the decimal's range.
      {base, huge,
       "converting base(QVRTallixNumber(2)) to huge from=(null) to=X 1e100 * 1e100 *: "
       "NSDecimalNumberUnderflowException: Decimal number underflow"},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(item.line);
    log().clear();
    EXPECT_EQ(QVRTallixUnit::convertNumber(&two, item.from, item.to)->decimalNumber(),
              QVRTallixDecimal::zero());
    EXPECT_EQ(log().lines(), Names{item.line});
  }
  // The units are unchanged: zero converts quietly.
  log().clear();
  const QVRTallixNumber zero = number("0");
  EXPECT_EQ(QVRTallixUnit::convertNumber(&zero, huge, base)->decimalNumber(),
            QVRTallixDecimal::zero());
  EXPECT_TRUE(log().lines().empty());
}

TEST_F(QVRTallixUnitTests, TitlesComeFromTheCategorysTableInTheUsersLocalisation) {
  // "Metre" is a key of the bundled table "Length": en-US says "Meter", en says "Metre".
  const struct {
    const char* locale;
    const char* unitName;
    const char* title;
  } cases[] = {
      {"en_US", "Metre", "Meter"}, {"en_PH", "Metre", "Meter"},
      {"en_GB", "Metre", "Metre"}, {"de_DE", "Metre", "Meter"},
      {"fr_FR", "Metre", "Metre"}, {"en_US", "no-such-key", "no-such-key"},
      {"de_CH", "Inch", "Zoll"},   {"en_US_POSIX", "Metre", "Meter"},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(std::string(item.locale) + " " + item.unitName);
    auto fresh = QVREnvironment::makeForTesting(item.locale);
    QVREnvironment::Installation installation(*fresh);
    const auto length = makeCategory(categoryEntry("Length", {plainUnit(item.unitName)}));
    const QVRTallixUnit& only = unit(*length, item.unitName);
    EXPECT_EQ(only.title(), item.title);
    EXPECT_EQ(only.symbol(), "");
    EXPECT_EQ(only.titleWithModifier(), item.title);
  }
}

TEST_F(QVRTallixUnitTests, AStoredVisibilityWinsOverTheCatalogue) {
  defaults().setBool("unit.Cat.shown.hidden", false);
  defaults().setBool("unit.Cat.hidden.hidden", true);
  // Values of other kinds read as the platform reads them.
  defaults().setObject("unit.Cat.text-yes.hidden", "YES");
  defaults().setObject("unit.Cat.garbage.hidden", "garbage");
  const auto category = makeCategory(categoryEntry(
      "Cat", {plainUnit("shown", {.hidden = true}),
              formulaUnit("hidden", "X 2 *", std::nullopt, {.hidden = false}),
              formulaUnit("catalogue-hidden", "X 3 *", std::nullopt, {.hidden = true}),
              formulaUnit("text-yes", "X 5 *"),
              formulaUnit("garbage", "X 6 *", std::nullopt, {.hidden = true})}));
  const struct {
    const char* name;
    bool defaultHidden;
    bool hidden;
  } cases[] = {{"shown", true, false},
               {"hidden", false, true},
               {"catalogue-hidden", true, true},
               {"text-yes", false, true},
               {"garbage", true, false}};
  for (const auto& item : cases) {
    SCOPED_TRACE(item.name);
    EXPECT_EQ(unit(*category, item.name).defaultHidden(), item.defaultHidden);
    EXPECT_EQ(unit(*category, item.name).isHidden(), item.hidden);
  }
}

TEST_F(QVRTallixUnitTests, SetHiddenStoresAndAnnouncesOnlyAChange) {
  const auto category = makeCategory(lengthCategory());
  QVRTallixUnit& metre = unit(*category, "metre");
  Names events;
  auto record = [&](const char* what) {
    return [&events, what, &category](const QVRNotification& notification) {
      events.push_back(std::string(what) + (notification.object == category.get() ? "" : "?") +
                       ":" + std::to_string(category->visibleUnits().size()));
    };
  };
  auto& center = environment().notificationCenter();
  auto will =
      center.addObserver(std::string(QVRTallixUnitCategoryVisibleUnitsWillChangeNotification),
                         nullptr, record("will"));
  auto did = center.addObserver(std::string(QVRTallixUnitCategoryVisibleUnitsDidChangeNotification),
                                nullptr, record("did"));
  ASSERT_EQ(category->visibleUnits().size(), 3u);

  metre.setHidden(false);  // the current value
  EXPECT_FALSE(defaults().objectForKey(metre.hiddenDefaultsKey()));
  EXPECT_TRUE(events.empty());

  metre.setHidden(true);
  EXPECT_EQ(defaults().objectForKey("unit.TestLength.metre.hidden"), QVRPropertyList(true));
  // Observers see the old list before and the new one after.
  EXPECT_EQ(events, (Names{"will:3", "did:2"}));
  EXPECT_EQ(namesOf(category->visibleUnits()), (Names{"centimetre", "kilometre"}));

  // From now on the stored choice overrides the catalogue, also when it equals it.
  metre.setHidden(false);
  EXPECT_EQ(defaults().objectForKey(metre.hiddenDefaultsKey()), QVRPropertyList(false));
}

TEST_F(QVRTallixUnitTests, UnitsRunFromTheSmallestAndTiesGoByTitleWithModifier) {
  const auto category = makeCategory(categoryEntry(
      "Ties",
      {formulaUnit("b", "X 1000 *", std::nullopt, {.title = "Pint", .modifier = "US"}),
       formulaUnit("c", "X 1000 *", std::nullopt, {.title = "Pint", .modifier = "Imperial"}),
       formulaUnit("d", "X 2 *", std::nullopt, {.title = "Zed"}),
       formulaUnit("a", "X 1000 *", std::nullopt, {.title = "Cup"}),
       formulaUnit("negative", "X -1 *"),
       // A unit that cannot convert one counts as not-a-number, the smallest of all.
       formulaUnit("broken", "+"), plainUnit("base", {.title = "Base"})}));
  EXPECT_EQ(namesOf(category->units()), (Names{"broken", "negative", "base", "d", "a", "c", "b"}));
  EXPECT_EQ(unit(*category, "a").compare(unit(*category, "b")),
            QVRComparisonResult::orderedAscending);
  EXPECT_EQ(unit(*category, "b").compare(unit(*category, "b")), QVRComparisonResult::orderedSame);
  // The broken unit's size was computed once, and its failure logged once.
  EXPECT_EQ(
      log().countContaining("converting broken from=(null) to=+(QVRTallixNumber(1)) to (null)"),
      1u);
}

TEST_F(QVRTallixUnitTests, TitleWithModifierReadsTitleSpaceAndModifierInParentheses) {
  auto german = QVREnvironment::makeForTesting("de_DE");
  QVREnvironment::Installation installation(*german);
  // The bundled table "Volume" localises "Gallon" and the modifier "oil".
  const auto volume = makeCategory(categoryEntry(
      "Volume", {plainUnit("litre"), formulaUnit("gallon", "X 4.54609 *", std::nullopt,
                                                 {.title = "Gallon", .modifier = "oil"})}));
  QVRTallixUnit& gallon = unit(*volume, "gallon");
  EXPECT_EQ(gallon.modifierTitle(), "Öl");
  EXPECT_EQ(gallon.titleWithModifier(), "Gallone (Öl)");
  EXPECT_EQ(gallon.modifierImage(), QVRImageName("Unit:Modifier:oil"));
  QVRTallixUnit& litre = unit(*volume, "litre");
  EXPECT_FALSE(litre.modifierImage());
  // Setting a modifier localises it; without a title field the title falls back to the name.
  litre.setModifier("oil");
  litre.setTitle(std::nullopt);
  EXPECT_EQ(litre.title(), "litre");
  EXPECT_EQ(litre.titleWithModifier(), "(null) (Öl)");
  litre.setModifier(std::nullopt);
  EXPECT_FALSE(litre.modifierTitle());
  EXPECT_FALSE(litre.titleWithModifier());
}

// The records of an archive whose class is `className`, by their keys.
std::vector<Names> recordKeys(const QVRPropertyList& archive, std::string_view className) {
  std::vector<Names> records;
  const auto& objects = *archive.find("$objects")->array();
  for (const auto& object : objects) {
    const QVRPropertyList* reference = object.find("$class");
    if (!reference || !reference->uid()) continue;
    if (*objects.at(reference->uid()->value).find("$classname")->string() != className) continue;
    Names keys;
    for (const auto& [key, value] : *object.dictionary()) keys.push_back(key);
    records.push_back(keys);
  }
  std::sort(records.begin(), records.end());
  return records;
}

TEST_F(QVRTallixUnitTests, ArchivesRoundTripWithTheUnitsAndTheirCategory) {
  const auto category = makeCategory(categoryEntry(
      "Arch",
      {plainUnit("base", {.title = "Base", .symbol = "b"}),
       formulaUnit("double", "X 2 *", std::nullopt,
                   {.title = "Double", .symbol = "d", .modifier = "x", .hidden = true}),
       formulaUnit("celsius", "X 273.15 +", "X 273.15 -")},
      {.defaultFrom = "base", .defaultTo = "double", .precision = 3}));
  const QVRTallixUnit& original = unit(*category, "double");
  QVRKeyedArchiver archiver;
  archiver.encodeObject(QVRKeyedArchiver::rootKey, original);
  const QVRPropertyList archive = archiver.archivedPropertyList();
  // No "fromFormula" without a "from" formula; the modifier is not archived.
  EXPECT_EQ(recordKeys(archive, "QVRTallixFormulaUnit"),
            (std::vector<Names>{
                {"$class", "category", "defaultHidden", "fromFormula", "name", "symbol", "title",
                 "toFormula"},
                {"$class", "category", "defaultHidden", "name", "symbol", "title", "toFormula"}}));
  EXPECT_EQ(recordKeys(archive, "QVRTallixUnitCategory"),
            (std::vector<Names>{{"$class", "defaultFromUnitName", "defaultToUnitName", "name",
                                 "precision", "title", "units"}}));

  defaults().setBool("unit.Arch.double.hidden", false);
  auto bytes = QVRKeyedArchiver::archivedDataWithRootObject(original);
  ASSERT_TRUE(bytes.value);
  auto decoded = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixUnit>(
      *bytes.value, QVRTallixUnitClassRegistry::archiveClassNames());
  ASSERT_TRUE(decoded.value) << decoded.error->description();
  const QVRTallixUnit& copy = *decoded.value;
  ASSERT_NE(dynamic_cast<const QVRTallixFormulaUnit*>(&copy), nullptr);
  EXPECT_EQ(copy.description(), "double from=(null) to=X 2 *");
  EXPECT_EQ(copy.title(), "Double");
  EXPECT_EQ(copy.symbol(), "d");
  EXPECT_TRUE(copy.defaultHidden());
  EXPECT_FALSE(copy.isHidden());  // read again from the defaults
  EXPECT_FALSE(copy.modifier());
  // The unit owns its decoded category, which lists the unit itself among its units.
  QVRTallixUnitCategory* copyCategory = copy.category();
  ASSERT_NE(copyCategory, nullptr);
  EXPECT_NE(copyCategory, category.get());
  EXPECT_EQ(copyCategory->description(), category->description());
  EXPECT_EQ(copyCategory->precision(), 3u);
  EXPECT_EQ(copyCategory->defaultToUnitName(), "double");
  EXPECT_EQ(copyCategory->unitNamed("double"), &copy);
  for (const QVRTallixUnit* other : copyCategory->units()) {
    EXPECT_EQ(other->category(), copyCategory);
  }
  const QVRTallixNumber value = number("21");
  EXPECT_EQ(QVRTallixUnit::convertNumber(&value, copyCategory->unitNamed("celsius"), &copy)
                ->decimalNumber(),
            decimal("147.075"));

  // A category alone decodes with its units, which point back to it.
  auto categoryBytes = QVRKeyedArchiver::archivedDataWithRootObject(*category);
  ASSERT_TRUE(categoryBytes.value);
  auto decodedCategory = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixUnitCategory>(
      *categoryBytes.value, QVRTallixUnitClassRegistry::archiveClassNames());
  ASSERT_TRUE(decodedCategory.value);
  EXPECT_EQ(decodedCategory.value->description(), category->description());
  for (const QVRTallixUnit* other : decodedCategory.value->units()) {
    EXPECT_EQ(other->category(), decodedCategory.value.get());
  }
  EXPECT_EQ(decodedCategory.value->defaultToUnit()->name(), "double");
}

TEST_F(QVRTallixUnitTests, AmountsPrintInTheStandardStyleFollowedByTheSymbol) {
  const struct {
    const char* locale;
    const char* value;  // or "NaN", "none"
    std::uint64_t digits;
    const char* symbol;
    const char* expected;
  } cases[] = {
      {"en_US", "2", 15, "", "2 "},
      {"de_DE", "2.5", 15, "", "2,5 "},
      {"en_US", "0.333333333333333333333", 3, "m", "0.333 m"},
      {"en_US", "0.333333333333333333333", 15, "m", "0.333333333333333 m"},
      {"de_DE", "1234567.891", 15, "km", "1.234.567,891 km"},
      {"en_US", "1e15", 15, "B", "1e15 B"},
      {"en_US", "0.000000001", 15, "m", "1e-9 m"},
      {"de_DE", "NaN", 15, "m", "Fehler m"},
      {"en_US", "none", 15, "m", "0 m"},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(std::string(item.locale) + " " + item.value);
    auto fresh = QVREnvironment::makeForTesting(item.locale);
    QVREnvironment::Installation installation(*fresh);
    const auto category = makeCategory(categoryEntry("Plain", {plainUnit("unit")}));
    QVRTallixUnit& plain = unit(*category, "unit");
    plain.setSymbol(item.symbol);
    const std::string_view text = item.value;
    const QVRTallixNumber value = text == "none"  ? QVRTallixNumber()
                                  : text == "NaN" ? QVRTallixNumber::nan()
                                                  : number(text);
    EXPECT_EQ(plain.formatedStringForNumber(value, item.digits), item.expected);
    if (item.digits == 15) {
      EXPECT_EQ(plain.formatedStringForNumber(value), item.expected);
    }
  }
}

}  // namespace
