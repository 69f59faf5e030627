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

class QVRTallixUnitTests : public TallixTest {
 protected:
  QVRUserDefaults& defaults() { return environment().userDefaults(); }
};

TEST_F(QVRTallixUnitTests, ConvertingWithoutANumberOrAUnitGivesNoneAndLogsNothing) {
  const auto length = makeCategory(lengthCategory());
  const QVRTallixUnit* metre = &unit(*length, "metre");
  const QVRTallixUnit* kilometre = &unit(*length, "kilometre");
  const QVRTallixNumber one = number("1");
  const struct {
    const QVRTallixNumber* number;
    const QVRTallixUnit* from;
    const QVRTallixUnit* to;
  } cases[] = {{nullptr, metre, kilometre},
               {&one, nullptr, kilometre},
               {&one, metre, nullptr},
               {nullptr, nullptr, nullptr}};
  for (const auto& item : cases) {
    EXPECT_FALSE(QVRTallixUnit::convertNumber(item.number, item.from, item.to));
  }
  EXPECT_TRUE(log().lines().empty());
}

TEST_F(QVRTallixUnitTests, PlainUnitsConvertByIdentityWithoutRounding) {
  const auto category = makeCategory(categoryEntry("Plain", {plainUnit("a"), plainUnit("b")}));
  // 38 significant digits: nothing on the way may round them.
  const QVRTallixNumber value = number("123.45678901234567890123456789012345678");
  const auto result =
      QVRTallixUnit::convertNumber(&value, &unit(*category, "a"), &unit(*category, "b"));
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->isEqual(value));
  // A number with no value passes through as it is.
  const QVRTallixNumber empty;
  EXPECT_FALSE(unit(*category, "a").convertToBaseUnit(empty).decimalNumber());
}

TEST_F(QVRTallixUnitTests, UnitsOfDifferentCategoriesShareTheBaseValue) {
  const auto length = makeCategory(lengthCategory());
  const auto temperature = makeCategory(temperatureCategory());
  // 1 km is 1000 in metres; 1000 taken as kelvin is 726.85 °C.
  const QVRTallixNumber one = number("1");
  const auto result = QVRTallixUnit::convertNumber(&one, &unit(*length, "kilometre"),
                                                   &unit(*temperature, "celsius"));
  ASSERT_TRUE(result);
  EXPECT_EQ(result->decimalNumber(), decimal("726.85"));
}

TEST_F(QVRTallixUnitTests, AFailedConversionGivesZeroAndLogsSourceNumberAndTarget) {
  const auto category = makeCategory(
      categoryEntry("Broken", {plainUnit("base"), formulaUnit("huge", "X 1e100 * 1e100 *")}));
  const QVRTallixUnit& huge = unit(*category, "huge");
  const QVRTallixUnit& base = unit(*category, "base");
  log().clear();
  const QVRTallixNumber two = number("2");
  const struct {
    const QVRTallixUnit* from;
    const QVRTallixUnit* to;
    const char* line;
  } cases[] = {
      {&huge, &base,
       "converting huge from=(null) to=X 1e100 * 1e100 *(QVRTallixNumber(2)) to base: "
       "NSDecimalNumberOverflowException: Decimal number overflow"},
      // Inverted, the formula divides twice: 2 ÷ 10^200 is below the decimal's range.
      {&base, &huge,
       "converting base(QVRTallixNumber(2)) to huge from=(null) to=X 1e100 * 1e100 *: "
       "NSDecimalNumberUnderflowException: Decimal number underflow"},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(item.line);
    log().clear();
    const auto result = QVRTallixUnit::convertNumber(&two, item.from, item.to);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->decimalNumber(), QVRTallixDecimal::zero());
    EXPECT_EQ(log().lines(), std::vector<std::string>{item.line});
  }
  // The units are unchanged: zero converts quietly.
  log().clear();
  const QVRTallixNumber zero = number("0");
  EXPECT_EQ(QVRTallixUnit::convertNumber(&zero, &huge, &base)->decimalNumber(),
            QVRTallixDecimal::zero());
  EXPECT_TRUE(log().lines().empty());
}

TEST_F(QVRTallixUnitTests, TitlesAndSymbolsComeFromTheCategorysTable) {
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
    EXPECT_FALSE(only.modifier());
    EXPECT_EQ(only.titleWithModifier(), item.title);
  }
}

TEST_F(QVRTallixUnitTests, AStoredVisibilityWinsOverTheCatalogue) {
  defaults().setBool("unit.Cat.shown-by-user.hidden", false);
  defaults().setBool("unit.Cat.hidden-by-user.hidden", true);
  // Values of other kinds read as the platform reads them.
  defaults().setObject("unit.Cat.text-yes.hidden", QVRPropertyList("YES"));
  defaults().setObject("unit.Cat.garbage.hidden", QVRPropertyList("garbage"));
  const auto category = makeCategory(categoryEntry(
      "Cat", {plainUnit("shown-by-user", {.hidden = true}),
              formulaUnit("hidden-by-user", "X 2 *", std::nullopt, {.hidden = false}),
              formulaUnit("catalogue-hidden", "X 3 *", std::nullopt, {.hidden = true}),
              formulaUnit("catalogue-shown", "X 4 *"), formulaUnit("text-yes", "X 5 *"),
              formulaUnit("garbage", "X 6 *", std::nullopt, {.hidden = true})}));
  const struct {
    const char* name;
    bool defaultHidden;
    bool hidden;
  } cases[] = {{"shown-by-user", true, false},   {"hidden-by-user", false, true},
               {"catalogue-hidden", true, true}, {"catalogue-shown", false, false},
               {"text-yes", false, true},        {"garbage", true, false}};
  for (const auto& item : cases) {
    SCOPED_TRACE(item.name);
    EXPECT_EQ(unit(*category, item.name).defaultHidden(), item.defaultHidden);
    EXPECT_EQ(unit(*category, item.name).isHidden(), item.hidden);
  }
  EXPECT_EQ(unit(*category, "shown-by-user").hiddenDefaultsKey(), "unit.Cat.shown-by-user.hidden");
}

TEST_F(QVRTallixUnitTests, SetHiddenStoresAndAnnouncesOnlyAChange) {
  const auto category = makeCategory(lengthCategory());
  QVRTallixUnit& metre = unit(*category, "metre");
  std::vector<std::string> events;
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
  EXPECT_EQ(defaults().objectForKey(metre.hiddenDefaultsKey()), QVRPropertyList(true));
  // Observers see the old list before and the new one after.
  EXPECT_EQ(events, (std::vector<std::string>{"will:3", "did:2"}));
  EXPECT_EQ(namesOf(category->visibleUnits()),
            (std::vector<std::string>{"centimetre", "kilometre"}));

  // From now on the stored choice overrides the catalogue, also when it equals it.
  metre.setHidden(false);
  EXPECT_EQ(defaults().objectForKey(metre.hiddenDefaultsKey()), QVRPropertyList(false));
  EXPECT_EQ(category->visibleUnits().size(), 3u);
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
  EXPECT_EQ(namesOf(category->units()),
            (std::vector<std::string>{"broken", "negative", "base", "d", "a", "c", "b"}));
  const QVRTallixUnit& a = unit(*category, "a");
  const QVRTallixUnit& b = unit(*category, "b");
  EXPECT_EQ(a.compare(b), QVRComparisonResult::orderedAscending);
  EXPECT_EQ(b.compare(a), QVRComparisonResult::orderedDescending);
  EXPECT_EQ(a.compare(a), QVRComparisonResult::orderedSame);
  // The broken unit's size was computed once, and its failure logged once.
  EXPECT_EQ(
      log().countContaining("converting broken from=(null) to=+(QVRTallixNumber(1)) to (null)"),
      1u);
}

class QVRTallixUnitGermanTests : public TallixTest {
 protected:
  QVRTallixUnitGermanTests() : TallixTest("de_DE") {}
};

TEST_F(QVRTallixUnitGermanTests, TitleWithModifierReadsTitleSpaceAndModifierInParentheses) {
  // The bundled table "Volume" localises "Gallon" and the modifier "oil".
  const auto volume = makeCategory(categoryEntry(
      "Volume", {plainUnit("litre"), formulaUnit("gallon", "X 4.54609 *", std::nullopt,
                                                 {.title = "Gallon", .modifier = "oil"})}));
  QVRTallixUnit& gallon = unit(*volume, "gallon");
  EXPECT_EQ(gallon.modifier(), "oil");
  EXPECT_EQ(gallon.modifierTitle(), "Öl");
  EXPECT_EQ(gallon.titleWithModifier(), "Gallone (Öl)");
  EXPECT_EQ(gallon.modifierImage(), QVRImageName("Unit:Modifier:oil"));

  QVRTallixUnit& litre = unit(*volume, "litre");
  EXPECT_FALSE(litre.modifierTitle());
  EXPECT_FALSE(litre.modifierImage());
  EXPECT_EQ(litre.titleWithModifier(), "litre");
  // Setting a modifier localises it; without a title field the title falls back to the name.
  litre.setModifier("oil");
  EXPECT_EQ(litre.modifierTitle(), "Öl");
  litre.setTitle(std::nullopt);
  EXPECT_EQ(litre.title(), "litre");
  EXPECT_EQ(litre.titleWithModifier(), "(null) (Öl)");
  litre.setModifier(std::nullopt);
  EXPECT_FALSE(litre.modifierTitle());
  EXPECT_FALSE(litre.titleWithModifier());
}

TEST_F(QVRTallixUnitTests, DescriptionsAndFlags) {
  const auto category = makeCategory(categoryEntry(
      "Small", {plainUnit("b"), formulaUnit("a", "X 2 *"),
                formulaUnit("c", "X 273.15 +", "X 273.15 -"), formulaUnit("d", std::nullopt)}));
  EXPECT_EQ(unit(*category, "b").description(), "b");
  EXPECT_EQ(unit(*category, "c").description(), "c from=X 273.15 - to=X 273.15 +");
  EXPECT_EQ(category->description(),
            "Small (\n    d from=(null) to=(null),\n    b,\n    a from=(null) to=X 2 *,\n    c "
            "from=X 273.15 - to=X 273.15 +\n)");
  EXPECT_EQ(makeCategory(categoryEntry("Empty", {}))->description(), "Empty (\n)");
  EXPECT_FALSE(unit(*category, "b").hasSubUnit());
  EXPECT_TRUE(unit(*category, "b").isValid());
  EXPECT_EQ(unit(*category, "b").category(), category.get());
  EXPECT_EQ(category->imageName(), "Small:Category");
  EXPECT_EQ(category->image(), QVRImageName("Small:Category"));
}

// The records of an archive whose class is `className`.
std::vector<QVRPropertyList::Dictionary> recordsOfClass(const QVRPropertyList& archive,
                                                        std::string_view className) {
  std::vector<QVRPropertyList::Dictionary> records;
  const auto& objects = *archive.find("$objects")->array();
  for (const auto& object : objects) {
    const QVRPropertyList* classReference = object.find("$class");
    if (!classReference || !classReference->uid()) continue;
    const auto& classRecord = objects.at(classReference->uid()->value);
    if (const auto* name = classRecord.find("$classname"); name && *name->string() == className) {
      records.push_back(*object.dictionary());
    }
  }
  return records;
}

std::vector<std::string> keysOf(const QVRPropertyList::Dictionary& record) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : record) keys.push_back(key);
  return keys;
}

template <class T>
QVRPropertyList archiveOf(const T& object) {
  QVRKeyedArchiver archiver;
  archiver.encodeObject(QVRKeyedArchiver::rootKey, object);
  return archiver.archivedPropertyList();
}

TEST_F(QVRTallixUnitTests, AnArchivedUnitDecodesWithItsCategory) {
  const auto category = makeCategory(categoryEntry(
      "Arch",
      {plainUnit("base", {.title = "Base", .symbol = "b"}),
       formulaUnit("double", "X 2 *", std::nullopt,
                   {.title = "Double", .symbol = "d", .modifier = "x", .hidden = true}),
       formulaUnit("celsius", "X 273.15 +", "X 273.15 -")},
      {.defaultFrom = "base", .defaultTo = "double", .precision = 3}));
  const QVRTallixUnit& original = unit(*category, "double");
  const QVRPropertyList archive = archiveOf(original);
  const auto records = recordsOfClass(archive, "QVRTallixFormulaUnit");
  ASSERT_EQ(records.size(), 2u);
  // Without a "from" formula there is no "fromFormula"; the modifier is not archived.
  std::vector<std::vector<std::string>> keys{keysOf(records[0]), keysOf(records[1])};
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys[0], (std::vector<std::string>{"$class", "category", "defaultHidden", "fromFormula",
                                               "name", "symbol", "title", "toFormula"}));
  EXPECT_EQ(keys[1], (std::vector<std::string>{"$class", "category", "defaultHidden", "name",
                                               "symbol", "title", "toFormula"}));
  EXPECT_EQ(recordsOfClass(archive, "QVRTallixUnitCategory").size(), 1u);

  defaults().setBool("unit.Arch.double.hidden", false);
  auto bytes = QVRKeyedArchiver::archivedDataWithRootObject(original);
  ASSERT_TRUE(bytes.value);
  auto decoded = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixUnit>(
      *bytes.value, QVRTallixUnitClassRegistry::archiveClassNames());
  ASSERT_TRUE(decoded.value) << decoded.error->description();
  const QVRTallixUnit& unit = *decoded.value;
  ASSERT_NE(dynamic_cast<const QVRTallixFormulaUnit*>(&unit), nullptr);
  EXPECT_EQ(unit.name(), "double");
  EXPECT_EQ(unit.title(), "Double");
  EXPECT_EQ(unit.symbol(), "d");
  EXPECT_TRUE(unit.defaultHidden());
  EXPECT_FALSE(unit.isHidden());  // read again from the defaults
  EXPECT_FALSE(unit.modifier());

  QVRTallixUnitCategory* decodedCategory = unit.category();
  ASSERT_NE(decodedCategory, nullptr);
  EXPECT_NE(decodedCategory, category.get());
  EXPECT_EQ(decodedCategory->name(), "Arch");
  EXPECT_EQ(decodedCategory->precision(), 3u);
  EXPECT_EQ(decodedCategory->defaultToUnitName(), "double");
  // The category lists the decoded unit itself, and its other units point back to it.
  EXPECT_EQ(namesOf(decodedCategory->units()), namesOf(category->units()));
  EXPECT_EQ(decodedCategory->unitNamed("double"), &unit);
  for (const QVRTallixUnit* other : decodedCategory->units()) {
    EXPECT_EQ(other->category(), decodedCategory);
  }
  const QVRTallixNumber value = number("21");
  EXPECT_EQ(QVRTallixUnit::convertNumber(&value, decodedCategory->unitNamed("base"), &unit)
                ->decimalNumber(),
            decimal("10.5"));
  const auto* celsius =
      dynamic_cast<const QVRTallixFormulaUnit*>(decodedCategory->unitNamed("celsius"));
  ASSERT_NE(celsius, nullptr);
  EXPECT_EQ(celsius->fromFormula(), "X 273.15 -");
  EXPECT_EQ(celsius->toFormula(), "X 273.15 +");
}

TEST_F(QVRTallixUnitTests, AnArchivedCategoryKeepsItsUnitsAndDefaultNames) {
  const auto category = makeCategory(lengthCategory());
  const QVRPropertyList archive = archiveOf(*category);
  const auto records = recordsOfClass(archive, "QVRTallixUnitCategory");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(keysOf(records.front()),
            (std::vector<std::string>{"$class", "defaultFromUnitName", "defaultToUnitName", "name",
                                      "precision", "title", "units"}));

  auto bytes = QVRKeyedArchiver::archivedDataWithRootObject(*category);
  ASSERT_TRUE(bytes.value);
  auto decoded = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixUnitCategory>(
      *bytes.value, QVRTallixUnitClassRegistry::archiveClassNames());
  ASSERT_TRUE(decoded.value) << decoded.error->description();
  QVRTallixUnitCategory& copy = *decoded.value;
  EXPECT_EQ(copy.defaultToUnitName(), "kilometre");
  EXPECT_EQ(copy.defaultFromUnitName(), "metre");
  EXPECT_EQ(copy.title(), "TestLength");
  EXPECT_EQ(namesOf(copy.units()), (std::vector<std::string>{"centimetre", "metre", "kilometre"}));
  for (const QVRTallixUnit* unit : copy.units()) EXPECT_EQ(unit->category(), &copy);
  EXPECT_EQ(copy.defaultToUnit()->name(), "kilometre");
  // A unit class that the reader does not allow refuses the archive.
  auto refused = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixUnitCategory>(
      *bytes.value, {"QVRTallixUnitCategory", "QVRTallixUnit"});
  EXPECT_FALSE(refused.value);
}

}  // namespace

namespace {

TEST(QVRTallixUnitFormatting, AmountsPrintInTheStandardStyleFollowedByTheSymbol) {
  const struct {
    const char* locale;
    const char* value;  // "NaN" and "none" too
    std::uint64_t digits;
    const char* symbol;
    const char* expected;
  } cases[] = {
      {"en_US", "2", 15, "", "2 "},
      {"de_DE", "2.5", 15, "", "2,5 "},
      {"en_US", "0.333333333333333333333", 3, "m", "0.333 m"},
      {"en_US", "0.333333333333333333333", 15, "m", "0.333333333333333 m"},
      {"en_US", "1234567.891", 15, "km", "1,234,567.891 km"},
      {"de_DE", "1234567.891", 15, "km", "1.234.567,891 km"},
      {"en_US", "1e15", 15, "B", "1e15 B"},
      {"en_US", "0.000000001", 15, "m", "1e-9 m"},
      {"en_US", "NaN", 15, "m", "Error m"},
      {"de_DE", "NaN", 15, "m", "Fehler m"},
      {"en_US", "none", 15, "m", "0 m"},
      {"en_US", "-0.5", 1, "°C", "-0.5 °C"},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(std::string(item.locale) + " " + item.value);
    auto environment = QVREnvironment::makeForTesting(item.locale);
    QVREnvironment::Installation installation(*environment);
    const auto category = makeCategory(categoryEntry("Plain", {plainUnit("unit")}));
    QVRTallixUnit& plain = unit(*category, "unit");
    plain.setSymbol(item.symbol);
    const QVRTallixNumber value = std::string_view(item.value) == "none"  ? QVRTallixNumber()
                                  : std::string_view(item.value) == "NaN" ? QVRTallixNumber::nan()
                                                                          : number(item.value);
    EXPECT_EQ(plain.formatedStringForNumber(value, item.digits), item.expected);
    if (item.digits == 15) {
      EXPECT_EQ(plain.formatedStringForNumber(value), item.expected);
    }
  }
}

}  // namespace
