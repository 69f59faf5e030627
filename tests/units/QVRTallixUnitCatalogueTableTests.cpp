#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "units/QVRTallixFormulaUnit.h"
#include "units/UnitFixtures.h"

// The bundled unit catalogue (resources/Configuration/categories.plist and its strings tables):
// its shape, its factors, and conversions checked against NIST SP 811 (Appendix B) and the SI
// brochure. The expected values come from the exact definitions (the inch is 0.0254 m, the pound
// 0.45359237 kg, standard gravity 9.80665 m/s², the US gallon 231 in³, the thermochemical calorie
// 4.184 J, the IT Btu 1055.05585262 J, …), computed to 45 digits with Python's decimal module.

using namespace UnitFixtures;

namespace {

struct Conversion {
  const char* value;
  const char* category;
  const char* from;
  const char* to;
  const char* expected;
  // Whether the expected value is exact; else it holds 45 significant digits and the result must
  // agree to 36 of them (two roundings to the decimal's 38 digits, and π to 38 digits).
  bool exact;
};

// NIST SP 811 values: every category, definitions and derived factors.
const Conversion kNISTConversions[] = {
    {"1", "Length", "inch", "centimeter", "2.54", true},
    {"1", "Length", "foot", "meter", "0.3048", true},
    {"1", "Length", "light-year", "meter", "9460730472580800", true},
    {"1", "Length", "kilometer", "mile", "0.621371192237333969617434184363318221585938121", false},
    {"1", "Area", "acre", "square-meter", "4046.8564224", true},
    {"1", "Volume", "gallon-us", "liter", "3.785411784", true},
    {"1", "Mass", "pound", "kilogram", "0.45359237", true},
    {"1", "Time", "year", "day", "365.2425", true},
    {"1", "Speed", "mile-per-hour", "meter-per-second", "0.44704", true},
    {"1", "Acceleration", "standard-gravity", "foot-per-second-squared",
     "32.1740485564304461942257217847769028871391076", false},
    {"1", "Pressure", "atmosphere", "torr", "760", true},
    {"1", "Pressure", "psi", "pascal", "6894.75729316836133672267344534689069378138756", false},
    {"1", "Energy", "electronvolt", "joule", "0.0000000000000000001602176634", true},
    {"1", "Power", "horsepower", "watt", "745.69987158227022", true},
    {"1", "Force", "pound-force", "newton", "4.4482216152605", true},
    {"1", "Angle", "radian", "degree", "57.2957795130823208767981548141051703324054725", false},
    {"1", "DataStorage", "gibibyte", "megabyte", "1073.741824", true},
    {"1", "DataStorage", "gigabyte", "gibibyte", "0.931322574615478515625", true},
    {"100", "DataRate", "megabit-per-second", "megabyte-per-second", "12.5", true},
    {"60", "Frequency", "revolution-per-minute", "hertz", "1", true},
    {"10", "FuelEconomy", "liter-per-100-kilometers", "mile-per-gallon-us",
     "23.5214583333333333333333333333333333333333333", false},
    {"1", "FuelEconomy", "mile-per-gallon-imperial", "liter-per-100-kilometers",
     "282.480936331822158593812137119223733396961743", false},
    // Temperatures across the four scales, including the points where they meet.
    {"100", "Temperature", "celsius", "fahrenheit", "212", true},
    {"0", "Temperature", "kelvin", "celsius", "-273.15", true},
    {"32", "Temperature", "fahrenheit", "celsius", "0", true},
    {"-40", "Temperature", "celsius", "fahrenheit", "-40", true},
    {"0", "Temperature", "fahrenheit", "kelvin", "255.372222222222222222222222222222222222222222",
     false},
    {"491.67", "Temperature", "rankine", "celsius", "0", true},
};

// Whether `value` equals `expected` to 36 significant digits.
bool agrees(const QVRTallixDecimal& value, const QVRTallixDecimal& expected) {
  const auto difference = QVRTallixDecimal::subtract(value, expected);
  const auto bound = QVRTallixDecimal::multiply(expected.magnitude(), decimal("1e-36"));
  if (!difference.ok() || !bound.ok()) return false;
  if (expected.isZero()) return difference.value.magnitude() == QVRTallixDecimal::zero();
  return QVRTallixDecimal::compare(difference.value.magnitude(), bound.value) !=
         QVRComparisonResult::orderedDescending;
}

class QVRTallixUnitCatalogueTableTests : public TallixTest {
 protected:
  // The result of one conversion through the bundled catalogue, or a failure.
  ::testing::AssertionResult converts(const Conversion& item) {
    QVRTallixUnitCategory* category = QVRTallixUnitCategory::categoryNamed(item.category);
    if (!category) return ::testing::AssertionFailure() << "no category " << item.category;
    QVRTallixUnit* from = category->unitNamed(item.from);
    QVRTallixUnit* to = category->unitNamed(item.to);
    if (!from || !to) return ::testing::AssertionFailure() << "a unit is missing";
    const QVRTallixNumber value = number(item.value);
    const auto result = QVRTallixUnit::convertNumber(&value, from, to);
    const QVRTallixDecimal found = result->decimalNumber().value_or(QVRTallixDecimal::nan());
    const QVRTallixDecimal expected = decimal(item.expected);
    if (item.exact ? found == expected : agrees(found, expected)) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "gave " << found.description();
  }
};

TEST_F(QVRTallixUnitCatalogueTableTests, ConversionsAgreeWithNISTValues) {
  std::set<std::string> categories;
  for (const Conversion& item : kNISTConversions) {
    SCOPED_TRACE(std::string(item.value) + " " + item.from + " = " + item.expected + " " + item.to);
    EXPECT_TRUE(converts(item));
    categories.insert(item.category);
  }
  // Every category of the catalogue but the currencies (whose rates are downloaded) has its
  // conversions above.
  EXPECT_EQ(categories.size() + 1, QVRTallixUnitCategory::allCategories().size());
  EXPECT_TRUE(log().lines().empty());
}

// The formula units whose "to" formula is a pure factor "X <decimal> *" without "from".
std::optional<std::string> factorOf(const QVRTallixUnit& unit) {
  const auto* formulaUnit = dynamic_cast<const QVRTallixFormulaUnit*>(&unit);
  if (!formulaUnit || formulaUnit->fromFormula() || !formulaUnit->toFormula()) return std::nullopt;
  const std::string& to = *formulaUnit->toFormula();
  if (!to.starts_with("X ") || !to.ends_with(" *") || to.size() < 5) return std::nullopt;
  const std::string factor = to.substr(2, to.size() - 4);
  if (factor.find(' ') != std::string::npos) return std::nullopt;
  return factor;
}

TEST_F(QVRTallixUnitCatalogueTableTests, FactorUnitsConvertToTheBaseAndBackExactly) {
  int checked = 0;
  for (const QVRTallixUnitCategory* category : QVRTallixUnitCategory::allCategories()) {
    for (const QVRTallixUnit* unit : category->units()) {
      const auto factor = factorOf(*unit);
      if (!factor) continue;
      ++checked;
      // The factor is decimal text that the decimal holds without rounding.
      const auto factorValue = QVRTallixDecimal::fromString(*factor, ".", true);
      ASSERT_TRUE(factorValue) << *factor;
      EXPECT_EQ(factorValue->description(), *factor);
      for (const char* input : {"1", "7", "0.5", "-2.25", "123.456", "1000000", "0.000001"}) {
        SCOPED_TRACE(unit->description() + " " + input);
        const QVRTallixNumber base = unit->convertToBaseUnit(number(input));
        EXPECT_EQ(base.decimalNumber(),
                  QVRTallixDecimal::multiply(decimal(input), *factorValue).value);
        EXPECT_EQ(unit->convertFromBaseUnit(base).decimalNumber(), decimal(input));
      }
    }
  }
  EXPECT_GT(checked, 130);
  EXPECT_TRUE(log().lines().empty());
}

TEST_F(QVRTallixUnitCatalogueTableTests, EveryCategoryHasOneBaseUnitAndUsableDefaults) {
  const std::set<std::string> required{
      "Length", "Area",         "Volume",   "Mass",        "Temperature", "Time",
      "Speed",  "Acceleration", "Pressure", "Energy",      "Power",       "Force",
      "Angle",  "DataStorage",  "DataRate", "FuelEconomy", "Frequency",   "Currency"};
  const auto names = namesOf(QVRTallixUnitCategory::allCategories());
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), required);
  EXPECT_EQ(QVRTallixUnitCategory::defaultCategory()->name(), "Temperature");
  for (QVRTallixUnitCategory* category : QVRTallixUnitCategory::allCategories()) {
    SCOPED_TRACE(*category->name());
    int bases = 0;
    std::set<std::string> unitNames, symbols;
    for (const QVRTallixUnit* unit : category->units()) {
      if (typeid(*unit) == typeid(QVRTallixUnit)) ++bases;
      unitNames.insert(unit->name().value_or(""));
      symbols.insert(unit->symbol());
      EXPECT_FALSE(unit->symbol().empty()) << unit->description();
      EXPECT_EQ(unit->name()->find(' '), std::string::npos) << unit->description();
    }
    // The currencies convert through the reference currency of the rates instead.
    EXPECT_EQ(bases, category->name() == "Currency" ? 0 : 1);
    EXPECT_EQ(unitNames.size(), category->units().size());
    EXPECT_EQ(symbols.size(), category->units().size());
    QVRTallixUnit* from = category->unitNamed(category->defaultFromUnitName());
    QVRTallixUnit* to = category->unitNamed(category->defaultToUnitName());
    ASSERT_TRUE(from && to);
    EXPECT_NE(from, to);
    EXPECT_EQ(category->defaultFromUnit(), from);
    EXPECT_EQ(category->defaultToUnit(), to);
  }
  EXPECT_TRUE(log().lines().empty());
}

}  // namespace
