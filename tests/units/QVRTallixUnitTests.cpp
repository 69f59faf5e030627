#include <gtest/gtest.h>

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

// (A conversion that raises gives zero and a log line: the unit commands' test.)
TEST_F(QVRTallixUnitTests, ConversionsPassThroughTheBaseValue) {
  const auto length = makeCategory(lengthCategory());
  const auto temperature = makeCategory(temperatureCategory());
  const QVRTallixUnit* metre = &unit(*length, "metre");
  const QVRTallixNumber one = number("1");
  EXPECT_FALSE(QVRTallixUnit::convertNumber(nullptr, metre, metre));
  EXPECT_FALSE(QVRTallixUnit::convertNumber(&one, nullptr, metre));
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

TEST_F(QVRTallixUnitTests, OnlyVisibilityChangesAreStoredAndAnnounced) {
  const auto length = makeCategory(lengthCategory());
  QVRTallixUnit& metre = unit(*length, "metre");
  Names events;
  auto record = [&](const char* what) {
    return [&events, what, &length](const QVRNotification& notification) {
      events.push_back(std::string(what) + (notification.object == length.get() ? "" : "?") + ":" +
                       std::to_string(length->visibleUnits().size()));
    };
  };
  auto& center = environment().notificationCenter();
  auto will =
      center.addObserver(std::string(QVRTallixUnitCategoryVisibleUnitsWillChangeNotification),
                         nullptr, record("will"));
  auto did = center.addObserver(std::string(QVRTallixUnitCategoryVisibleUnitsDidChangeNotification),
                                nullptr, record("did"));
  ASSERT_EQ(length->visibleUnits().size(), 3u);
  metre.setHidden(false);  // the current value
  EXPECT_FALSE(defaults().objectForKey(metre.hiddenDefaultsKey()));
  EXPECT_TRUE(events.empty());
  metre.setHidden(true);
  EXPECT_EQ(defaults().objectForKey("unit.TestLength.metre.hidden"), QVRPropertyList(true));
  EXPECT_EQ(events, (Names{"will:3", "did:2"}));
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
  // The broken unit's size was computed once, and its failure logged once.
  EXPECT_EQ(
      log().countContaining("converting broken from=(null) to=+(QVRTallixNumber(1)) to (null)"),
      1u);
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
  defaults().setBool("unit.Arch.double.hidden", false);
  auto bytes = QVRKeyedArchiver::archivedDataWithRootObject(original);
  ASSERT_TRUE(bytes.value);
  auto decoded = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixUnit>(
      *bytes.value, QVRTallixUnitClassRegistry::archiveClassNames());
  ASSERT_TRUE(decoded.value) << decoded.error->description();
  const QVRTallixUnit& copy = *decoded.value;
  ASSERT_NE(dynamic_cast<const QVRTallixFormulaUnit*>(&copy), nullptr);
  EXPECT_EQ(copy.description(), "double from=(null) to=X 2 *");
  EXPECT_TRUE(copy.defaultHidden());
  EXPECT_FALSE(copy.isHidden());  // read again from the defaults
  EXPECT_FALSE(copy.modifier());  // not archived
  // The unit owns its decoded category, which lists the unit itself among its units.
  QVRTallixUnitCategory* copyCategory = copy.category();
  ASSERT_NE(copyCategory, nullptr);
  EXPECT_EQ(copyCategory->description(), category->description());
  EXPECT_EQ(copyCategory->unitNamed("double"), &copy);
  for (const QVRTallixUnit* other : copyCategory->units()) {
    EXPECT_EQ(other->category(), copyCategory);
  }
  const QVRTallixNumber value = number("21");
  EXPECT_EQ(QVRTallixUnit::convertNumber(&value, copyCategory->unitNamed("celsius"), &copy)
                ->decimalNumber(),
            decimal("147.075"));
}

}  // namespace
