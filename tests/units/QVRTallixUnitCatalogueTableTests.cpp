#include <gtest/gtest.h>

#include <set>
#include <string>
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

// NIST SP 811 values, every category: the value in `from`, and in `to` exactly, or, marked "~",
// rounded to 37 digits, to which the result must agree to 36 (two roundings to the decimal's 38
// digits, and π to 38 digits).
struct Conversion {
  const char* value;
  const char* from;
  const char* to;
  const char* expected;
};

// clang-format off
const Conversion kNISTConversions[] = {
    {"1", "inch", "centimeter", "2.54"},
    {"1", "light-year", "meter", "9460730472580800"},
    {"1", "kilometer", "mile", "0.6213711922373339696174341843633182216~"},
    {"1", "nautical-mile", "foot", "6076.115485564304461942257217847769029~"},
    {"1", "astronomical-unit", "kilometer", "149597870.7"},
    {"1", "acre", "square-meter", "4046.8564224"},
    {"1", "square-mile", "acre", "640"},
    {"1", "hectare", "acre", "2.471053814671653422482439291988062601~"},
    {"1", "gallon-us", "liter", "3.785411784"},
    {"1", "cubic-foot", "gallon-us", "7.480519480519480519480519480519480519~"},
    {"1", "barrel-oil", "gallon-us", "42"},
    {"1", "pound", "kilogram", "0.45359237"},
    {"1", "ounce", "gram", "28.349523125"},
    {"1", "stone", "pound", "14"},
    {"100", "celsius", "fahrenheit", "212"},
    {"0", "kelvin", "celsius", "-273.15"},
    {"32", "fahrenheit", "celsius", "0"},
    {"-40", "celsius", "fahrenheit", "-40"},
    {"0", "fahrenheit", "kelvin", "255.3722222222222222222222222222222222~"},
    {"491.67", "rankine", "celsius", "0"},
    {"300", "kelvin", "fahrenheit", "80.33"},
    {"1", "year", "day", "365.2425"},
    {"1", "mile-per-hour", "meter-per-second", "0.44704"},
    {"1", "knot", "kilometer-per-hour", "1.852"},
    {"1", "speed-of-light", "meter-per-second", "299792458"},
    {"1", "standard-gravity", "foot-per-second-squared", "32.17404855643044619422572178477690289~"},
    {"1", "atmosphere", "torr", "760"},
    {"1", "psi", "pascal", "6894.757293168361336722673445346890694~"},
    {"1", "bar", "psi", "14.50377377302092151542410279511939767~"},
    {"1", "inch-of-mercury", "pascal", "3386.388640341"},
    {"1", "electronvolt", "joule", "0.0000000000000000001602176634"},
    {"1", "british-thermal-unit", "calorie-it", "251.9957611111111111111111111111111111~"},
    {"1", "horsepower", "watt", "745.69987158227022"},
    {"1", "ton-of-refrigeration", "watt", "3516.852842066666666666666666666666667~"},
    {"1", "pound-force", "newton", "4.4482216152605"},
    {"1", "kilogram-force", "newton", "9.80665"},
    {"1", "radian", "degree", "57.29577951308232087679815481410517033~"},
    {"1", "turn", "gradian", "400"},
    {"1", "arcminute", "arcsecond", "60~"},
    {"1", "gibibyte", "megabyte", "1073.741824"},
    {"1", "gigabyte", "gibibyte", "0.931322574615478515625"},
    {"100", "megabit-per-second", "megabyte-per-second", "12.5"},
    {"60", "revolution-per-minute", "hertz", "1"},
    {"10", "liter-per-100-kilometers", "kilometer-per-liter", "10"},
    {"1", "kilometer-per-liter", "mile-per-gallon-us", "2.352145833333333333333333333333333333~"},
    {"5", "kilometer-per-liter", "liter-per-100-kilometers", "20"},
};
// clang-format on

// Whether `value` equals `expected` to 36 significant digits.
bool agrees(const QVRTallixDecimal& value, const QVRTallixDecimal& expected) {
  const auto difference = QVRTallixDecimal::subtract(value, expected);
  const auto bound = QVRTallixDecimal::multiply(expected.magnitude(), decimal("1e-36"));
  if (!difference.ok() || !bound.ok()) return false;
  if (expected.isZero()) return difference.value.magnitude() == QVRTallixDecimal::zero();
  return QVRTallixDecimal::compare(difference.value.magnitude(), bound.value) !=
         QVRComparisonResult::orderedDescending;
}

QVRTallixUnit* unitNamed(const char* name) {
  for (QVRTallixUnitCategory* category : QVRTallixUnitCategory::allCategories()) {
    if (QVRTallixUnit* unit = category->unitNamed(name)) return unit;
  }
  return nullptr;
}

class QVRTallixUnitCatalogueTableTests : public TallixTest {};

// Each conversion, and back again to the value it started from.
TEST_F(QVRTallixUnitCatalogueTableTests, ConversionsAgreeWithNISTValuesAndConvertBack) {
  std::set<std::string> categories;
  for (const Conversion& item : kNISTConversions) {
    SCOPED_TRACE(std::string(item.value) + " " + item.from + " = " + item.expected + " " + item.to);
    QVRTallixUnit* from = unitNamed(item.from);
    QVRTallixUnit* to = unitNamed(item.to);
    ASSERT_TRUE(from && to && from->category() == to->category());
    categories.insert(*from->category()->name());
    const std::string_view text = item.expected;
    const bool exact = !text.ends_with('~');
    const QVRTallixDecimal expected = decimal(exact ? text : text.substr(0, text.size() - 1));
    const QVRTallixNumber value = number(item.value);
    const auto result = QVRTallixUnit::convertNumber(&value, from, to);
    const QVRTallixDecimal found = result->decimalNumber().value_or(QVRTallixDecimal::nan());
    EXPECT_TRUE(exact ? found == expected : agrees(found, expected)) << found.description();
    const auto back = QVRTallixUnit::convertNumber(&*result, to, from);
    EXPECT_TRUE(
        agrees(back->decimalNumber().value_or(QVRTallixDecimal::nan()), decimal(item.value)))
        << back->description();
  }
  // Every category of the catalogue but the currencies (whose rates are downloaded).
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

}  // namespace
