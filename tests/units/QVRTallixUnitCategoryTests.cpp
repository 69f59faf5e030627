#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/QVRUserDefaults.h"
#include "units/UnitFixtures.h"

using namespace UnitFixtures;

namespace {

using Names = std::vector<std::string>;

class QVRTallixUnitCategoryTests : public TallixTest {
 protected:
  QVRUserDefaults& defaults() { return environment().userDefaults(); }
  static QVRTallixUnitCategory& named(std::string_view name) {
    QVRTallixUnitCategory* category = QVRTallixUnitCategory::categoryNamed(name);
    if (!category) throw std::runtime_error("no category " + std::string(name));
    return *category;
  }
  static Names visibleNames() { return namesOf(QVRTallixUnitCategory::visibleCategories()); }
  // Three categories, the first two in reverse order of their titles.
  static Array threeCategories() {
    return {categoryEntry("Volume", {plainUnit("liter", {.title = "Litre"})}),
            categoryEntry("Area", {plainUnit("square-meter", {.title = "Square metre"})}),
            temperatureCategory()};
  }
};

// Runs `body` in a fresh environment of its own.
void inEnvironment(const std::string& locale, const std::function<void(QVREnvironment&)>& body) {
  auto environment = QVREnvironment::makeForTesting(locale);
  QVREnvironment::Installation installation(*environment);
  body(*environment);
}

TEST_F(QVRTallixUnitCategoryTests, ACategoryWithoutVisibleUnitsIsHiddenAndLeavesTheList) {
  useCatalogue(
      {categoryEntry("AllHidden", {plainUnit("x", {.hidden = true}),
                                   formulaUnit("y", "X 2 *", std::nullopt, {.hidden = true})}),
       lengthCategory(), temperatureCategory()});
  EXPECT_TRUE(named("AllHidden").isHidden());
  EXPECT_EQ(visibleNames(), (Names{"Temperature", "TestLength"}));

  QVRTallixUnitCategory& length = named("TestLength");
  for (QVRTallixUnit* unit : length.units()) unit->setHidden(true);
  EXPECT_EQ(visibleNames(), (Names{"Temperature"}));
  length.unitNamed("metre")->setHidden(false);
  EXPECT_EQ(visibleNames(), (Names{"Temperature", "TestLength"}));
}

TEST_F(QVRTallixUnitCategoryTests, WhenEveryCategoryIsHiddenOneIsShownAndThatIsStored) {
  useCatalogue(
      {categoryEntry("Aaa", {plainUnit("x", {.hidden = true})}), temperatureCategory(true)});
  EXPECT_EQ(visibleNames(), (Names{"Temperature"}));
  QVRTallixUnitCategory& temperature = named("Temperature");
  for (const QVRTallixUnit* unit : temperature.units()) {
    EXPECT_EQ(defaults().objectForKey(unit->hiddenDefaultsKey()), QVRPropertyList(false));
  }
  EXPECT_EQ(QVRTallixUnitCategory::defaultCategory(), &temperature);

  // Without a "Temperature" category the first of the catalogue is taken.
  inEnvironment("en_US", [](QVREnvironment& environment) {
    useCatalogue({categoryEntry("Bbb", {plainUnit("y", {.hidden = true})}),
                  categoryEntry("Aaa", {plainUnit("x", {.hidden = true})})});
    EXPECT_EQ(visibleNames(), (Names{"Aaa"}));
    EXPECT_EQ(environment.userDefaults().objectForKey("unit.Aaa.x.hidden"), QVRPropertyList(false));
    EXPECT_FALSE(environment.userDefaults().objectForKey("unit.Bbb.y.hidden"));
  });
}

TEST_F(QVRTallixUnitCategoryTests, TheDefaultCategoryFollowsTheStoredNameWhileItIsVisible) {
  // clang-format off
  const struct { std::optional<std::string> stored; bool hideTemperature; const char* expected; } cases[] = {
      {std::nullopt, false, "Temperature"},
      // A hidden default category gives the first visible one, which is not stored.
      {std::nullopt, true, "Area"},
      {"Volume", true, "Volume"},
      {"Temperature", true, "Area"},
  };
  // clang-format on
  for (const auto& item : cases) {
    SCOPED_TRACE(item.stored.value_or("(nothing stored)") +
                 (item.hideTemperature ? ", hidden" : ""));
    inEnvironment("en_US", [&](QVREnvironment& environment) {
      useCatalogue(threeCategories());
      if (item.stored) environment.userDefaults().setObject("DefaultCategory", *item.stored);
      if (item.hideTemperature) {
        // Asked once before, so that the cached default category must be replaced.
        QVRTallixUnitCategory::defaultCategory();
        for (QVRTallixUnit* unit : named("Temperature").units()) unit->setHidden(true);
      }
      EXPECT_EQ(QVRTallixUnitCategory::defaultCategory()->name(), item.expected);
      EXPECT_EQ(environment.userDefaults().objectForKey("DefaultCategory"),
                item.stored ? std::optional(QVRPropertyList(*item.stored)) : std::nullopt);
    });
  }
  // Setting none removes the stored name.
  useCatalogue(threeCategories());
  QVRTallixUnitCategory::setDefaultCategory(&named("Volume"));
  QVRTallixUnitCategory::setDefaultCategory(nullptr);
  EXPECT_FALSE(defaults().objectForKey("DefaultCategory"));
}

TEST_F(QVRTallixUnitCategoryTests, DefaultUnitsFallBackStepByStep) {
  struct Case {
    const char* title;
    Array units;
    std::vector<std::pair<std::string, QVRPropertyList>> stored;
    const char* from;
    const char* to;
  };
  const Array length = *lengthCategory().at("units").array();
  const Array allHidden{plainUnit("one", {.hidden = true}),
                        formulaUnit("two", "X 2 *", std::nullopt, {.hidden = true}),
                        formulaUnit("three", "X 3 *", std::nullopt, {.hidden = true})};
  // Stored keys: "From" and "To" the default units, "NAME" the hidden flag of a unit.
  // clang-format off
  const std::vector<Case> cases = {
      {"the catalogue's names", length, {}, "metre", "kilometre"},
      {"stored names win while visible", length, {{"From", "centimetre"}, {"To", "centimetre"}},
       "centimetre", "centimetre"},
      {"a hidden stored unit gives the catalogue's; a hidden catalogue one the first visible",
       length, {{"To", "centimetre"}, {"centimetre", true}, {"kilometre", true}}, "metre", "metre"},
      {"nothing visible: the stored unit, hidden", allHidden, {{"From", "two"}}, "two", "three"},
      {"no units at all", {}, {}, nullptr, nullptr},
  };
  // clang-format on
  for (const Case& item : cases) {
    SCOPED_TRACE(item.title);
    inEnvironment("en_US", [&](QVREnvironment& environment) {
      for (const auto& [key, value] : item.stored) {
        environment.userDefaults().setObject(key == "From" || key == "To"
                                                 ? "TestLength.Default" + key + "Unit"
                                                 : "unit.TestLength." + key + ".hidden",
                                             value);
      }
      const auto category = makeCategory(categoryEntry(
          "TestLength", item.units, {.defaultFrom = "metre", .defaultTo = "kilometre"}));
      const auto nameOf = [](const QVRTallixUnit* unit) {
        return unit ? unit->name().value_or("(null)") : std::string("none");
      };
      EXPECT_EQ(nameOf(category->defaultFromUnit()), item.from ? item.from : "none");
      EXPECT_EQ(nameOf(category->defaultToUnit()), item.to ? item.to : "none");
    });
  }
}

}  // namespace
