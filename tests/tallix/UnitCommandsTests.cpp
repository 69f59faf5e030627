#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ScopedEnvironment.h"
#include "support/SeededRandom.h"
#include "support/TallixCommandRun.h"
#include "support/TallixTest.h"
#include "units/UnitFixtures.h"

// The recorded outputs (GoldenOutputsTests) cover conversions, number syntax, unknown units and
// the category listings at length; these are the options, usage errors and other locales.

using namespace UnitFixtures;

namespace {

class UnitCommandsTests : public TallixTest {};

// Runs, for each case, the command in the case's locale; a status 2 case leaves nothing on the
// standard output.
TEST_F(UnitCommandsTests, CommandsPrintOrRefuseInTheUsersLocale) {
  const std::string usage = "\nusage: tallix convert VALUE FROM TO [--category NAME]\n";
  const std::string notNumber = "' is not a number in the locale ";
  // clang-format off
  const struct { const char* locale; std::vector<std::string> arguments; int status; std::string text; } cases[] = {
    // The text is the output, or the error when the status is not 0.
    {"en_US", {"convert", "1,234.5", "m", "KM"}, 0, "1.2345 km\n"},
    {"en_US", {"convert", "--category=Length", "1", "m", "ft"}, 0, "3.28083989501 ft\n"},
    {"en_US", {"convert", "1", "gallon", "L"}, 2, "tallix convert: 'gallon' is ambiguous in Volume: it names gallon-us (US gal), gallon-imperial (imp gal); use the unit's name or symbol\n"},
    {"en_US", {"convert", "", "m", "ft"}, 2, "tallix convert: '" + notNumber + "en_US\n"},
    {"en_US", {"convert", "1", "m"}, 2, "tallix convert: expected VALUE FROM TO, got 2 arguments" + usage},
    {"en_US", {"convert", "1"}, 2, "tallix convert: expected VALUE FROM TO, got 1 argument" + usage},
    {"en_US", {"convert", "1", "m", "ft", "--category"}, 2, "tallix convert: --category needs a category name" + usage},
    {"en_US", {"convert", "-x", "m", "ft"}, 2, "tallix convert: unknown option '-x'" + usage},
    {"en_US", {"units", "Length", "Mass"}, 2, "tallix units: expected at most one CATEGORY\nusage: tallix units [CATEGORY]\n"},
    // Indian grouping is three digits, then twos; Arabic (Egypt) reads its own digits too. (What
    // each locale prints reads back: the property test below.)
    {"hi_IN", {"convert", "1,234,567", "m", "km"}, 2, "tallix convert: '1,234,567" + notNumber + "hi_IN\n"},
    {"ar_EG", {"convert", "١٢٣٤٫٥", "m", "km"}, 0, "1.2345 km\n"},
  };
  // clang-format on
  for (const auto& item : cases) {
    SCOPED_TRACE(std::string(item.locale) + " " + item.arguments[1]);
    ScopedEnvironment scoped(item.locale);
    const TallixOutcome run = tallixRun(item.arguments);
    EXPECT_EQ(run.status, item.status);
    EXPECT_EQ(item.status == 0 ? run.output : run.error, item.text);
    EXPECT_EQ(item.status == 0 ? run.error : run.output, "");
  }
}

TEST_F(UnitCommandsTests, AUnitNamedInSeveralCategoriesAsksForOne) {
  useCatalogue(
      {categoryEntry("Alpha", {plainUnit("X", {.symbol = "xa"}),
                               formulaUnit("Y", "X 3 *", std::nullopt, {.symbol = "ya"})}),
       categoryEntry("Beta", {plainUnit("X", {.symbol = "xs"}),
                              formulaUnit("Y", "X 0.5 *", std::nullopt, {.symbol = "ys"})})});
  EXPECT_EQ(tallixRun({"convert", "5", "X", "Y"}).error,
            "tallix convert: 'X' and 'Y' name units of several categories (Alpha, Beta); choose "
            "one with --category NAME\n");
  EXPECT_EQ(tallixRun({"convert", "5", "X", "Y", "--category=alpha"}).output, "1.66666666667 ya\n");
  EXPECT_EQ(tallixRun({"convert", "5", "X", "Y", "--category", "Beta"}).output, "10 ys\n");
  // A symbol found in one category only decides without --category.
  EXPECT_EQ(tallixRun({"convert", "5", "xs", "ys"}).output, "10 ys\n");
}

// (The hidden note is in the recorded listings; a conversion that raises gives zero in the
// conversion rates' tests.)
TEST_F(UnitCommandsTests, CategoriesWithoutABaseOrUnitsAreListed) {
  useCatalogue(
      {categoryEntry("Odd", {formulaUnit("only", "X 2 *", std::nullopt, {.symbol = "ø"})}),
       categoryEntry("Empty", {}),
       categoryEntry("Broken", {plainUnit("base", {.symbol = "b"}),
                                formulaUnit("plus", "+", std::nullopt, {.symbol = "p"})})});
  EXPECT_EQ(tallixRun({"units", "odd"}).output,
            "Odd: 1 unit\nNAME  SYMBOL  TITLE  NOTES\nonly  ø       only\n");
  EXPECT_EQ(tallixRun({"units"}).output,
            "NAME    TITLE   UNITS\nBroken  Broken  2\nEmpty   Empty   0\nOdd     Odd     1\n");
}

// Whatever a unit prints in a locale, `tallix convert` reads back in that locale: random values
// of every magnitude, formatted by the unit, converted from the unit to itself, print the same.
TEST_F(UnitCommandsTests, EveryPrintedAmountReadsBackInItsLocale) {
  // Number shapes: grouping by threes, by apostrophes, by blanks, Indian grouping, own digits.
  const char* locales[] = {"en_US", "de_DE", "de_CH", "fr_FR", "hi_IN", "ar_EG", "fa_IR"};
  const std::uint64_t seed = SeededRandom::testSeed(0xc0117e47);
  SeededRandom random(seed);
  for (const char* locale : locales) {
    ScopedEnvironment scoped(locale);
    const QVRTallixUnit& metre =
        *QVRTallixUnitCategory::categoryNamed("Length")->unitNamed("meter");
    for (int round = 0; round < 5000; ++round) {
      std::string digits = std::to_string(random.between(1, 999'999'999'999'999'999));
      digits.resize(
          static_cast<std::size_t>(random.between(1, static_cast<std::int64_t>(digits.size()))));
      const std::string text =
          (random.coin() ? "-" : "") + digits + "e" + std::to_string(random.between(-40, 40));
      const std::string printed = metre.formatedStringForNumber(number(text));
      const std::string amount = printed.substr(0, printed.size() - 2);  // without " m"
      const TallixOutcome run =
          tallixRun({"convert", amount, "meter", "meter", "--category", "Length"});
      if (run.status != 0 || run.output != printed + "\n") {
        ADD_FAILURE() << "seed " << seed << ", " << locale << ": " << text << " printed as '"
                      << amount << "' gave " << run.status << " " << run.output << run.error;
        break;
      }
    }
  }
}

}  // namespace
