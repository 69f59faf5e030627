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

class QVRTallixUnitTests : public TallixTest {
 protected:
  QVRUserDefaults& defaults() { return environment().userDefaults(); }
};

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
