#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ScopedEnvironment.h"
#include "support/SeededRandom.h"
#include "support/TallixTest.h"
#include "tallix/ConvertCommand.h"
#include "tallix/TallixCommandLine.h"
#include "tallix/UnitsCommand.h"
#include "units/UnitFixtures.h"

using namespace UnitFixtures;

namespace {

struct Outcome {
  int status;
  std::string output;
  std::string error;
};

Outcome tallixRun(std::vector<std::string> arguments) {
  tallix::TallixCommandLine commandLine(tallix::TallixCommandLine::defaultCommands());
  tallix::TallixBufferIO io;
  const int status = commandLine.run(arguments, io);
  return {status, io.output(), io.error()};
}

// Two categories that both hold units named X and Y.
Array ambiguousCatalogue() {
  return {categoryEntry("Alpha", {plainUnit("X", {.symbol = "xa"}),
                                  formulaUnit("Y", "X 3 *", std::nullopt, {.symbol = "ya"})}),
          categoryEntry("Beta", {plainUnit("X", {.symbol = "xs"}),
                                 formulaUnit("Y", "X 0.5 *", std::nullopt, {.symbol = "ys"})})};
}

class UnitCommandsTests : public TallixTest {};

TEST_F(UnitCommandsTests, ConvertPrintsTheValueFormattedByTheTargetUnit) {
  const struct {
    std::vector<std::string> arguments;
    const char* output;
  } cases[] = {
      {{"100", "°C", "°F"}, "212 °F\n"},
      {{"0", "K", "°C"}, "-273.15 °C\n"},
      {{"-40", "celsius", "fahrenheit"}, "-40 °F\n"},
      {{"1", "in", "cm"}, "2.54 cm\n"},
      {{"1", "mile", "km"}, "1.609344 km\n"},
      {{"1", "Gallon (US)", "L"}, "3.785411784 L\n"},
      {{"1", "US gal", "imp gal"}, "0.832674184628989 imp gal\n"},
      {{"10", "L/100 km", "US mpg"}, "23.5214583333 US mpg\n"},
      {{"1,234.5", "m", "KM"}, "1.2345 km\n"},
      {{"1", "GiB", "MB"}, "1,073.741824 MB\n"},
      {{"1", "Mbit", "kB"}, "125 kB\n"},
      {{"-.5", "m", "cm"}, "-50 cm\n"},
      {{"1", "m", "ft", "--category", "length"}, "3.28083989501 ft\n"},
      {{"--category=Length", "1", "m", "ft"}, "3.28083989501 ft\n"},
      // What tallix prints it reads back: the largest and smallest magnitudes too.
      {{"4.76652566916501e16", "in", "in"}, "4.76652566916501e16 in\n"},
      {{"1.5e-9", "m", "nm"}, "1.5 nm\n"},
      {{"-2e-12", "m", "m"}, "-2e-12 m\n"},
      {{"1e15", "byte", "byte"}, "1e15 B\n"},
      {{"12,345,678", "ms", "s"}, "12,345.678 s\n"},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(item.arguments.front() + " " + item.arguments[1] + " " + item.arguments[2]);
    std::vector<std::string> arguments{"convert"};
    arguments.insert(arguments.end(), item.arguments.begin(), item.arguments.end());
    const Outcome run = tallixRun(arguments);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, item.output);
  }
}

TEST_F(UnitCommandsTests, ConvertRefusesBadInputOnStandardErrorWithStatusTwo) {
  const std::string usage = "\nusage: tallix convert VALUE FROM TO [--category NAME]\n";
  const struct {
    std::vector<std::string> arguments;
    std::string error;
  } cases[] = {
      {{"1", "furlongs", "m"},
       "tallix convert: unknown unit 'furlongs'; 'tallix units CATEGORY' lists the units\n"},
      {{"1", "m", "parsecs"},
       "tallix convert: unknown unit 'parsecs'; 'tallix units CATEGORY' lists the units\n"},
      {{"1", "m", "kg"},
       "tallix convert: 'm' (Length) and 'kg' (Mass) are not units of one category\n"},
      {{"1", "gallon", "L"},
       "tallix convert: 'gallon' is ambiguous in Volume: it names gallon-us (US gal), "
       "gallon-imperial (imp gal); use the unit's name or symbol\n"},
      {{"1", "m", "ft", "--category", "Weather"},
       "tallix convert: unknown category 'Weather'; the categories are: Acceleration, Angle, "
       "Area, Currency, DataRate, DataStorage, Energy, Force, Frequency, FuelEconomy, Length, Mass, Power, "
       "Pressure, Speed, Temperature, Time, Volume\n"},
      {{"1", "m", "ft", "--category", "Mass"},
       "tallix convert: unknown unit 'm' in the category Mass; 'tallix units CATEGORY' lists the "
       "units\n"},
      {{"ten", "m", "ft"}, "tallix convert: 'ten' is not a number in the locale en_US\n"},
      {{"1,5", "m", "ft"}, "tallix convert: '1,5' is not a number in the locale en_US\n"},
      {{"12,34", "m", "ft"}, "tallix convert: '12,34' is not a number in the locale en_US\n"},
      {{",123", "m", "ft"}, "tallix convert: ',123' is not a number in the locale en_US\n"},
      {{"1e3", "m", "ft"}, "tallix convert: '1e3' is not a number in the locale en_US\n"},
      {{"1e5", "m", "ft"}, "tallix convert: '1e5' is not a number in the locale en_US\n"},
      {{"+5", "m", "ft"}, "tallix convert: '+5' is not a number in the locale en_US\n"},
      {{"1e999", "m", "ft"}, "tallix convert: '1e999' is not a number in the locale en_US\n"},
      {{"1,000e16", "m", "ft"}, "tallix convert: '1,000e16' is not a number in the locale en_US\n"},
      {{"", "m", "ft"}, "tallix convert: '' is not a number in the locale en_US\n"},
      {{"1", "m"}, "tallix convert: expected VALUE FROM TO, got 2 arguments" + usage},
      {{"1"}, "tallix convert: expected VALUE FROM TO, got 1 argument" + usage},
      {{"1", "m", "ft", "yd"}, "tallix convert: expected VALUE FROM TO, got 4 arguments" + usage},
      {{"1", "m", "ft", "--category"}, "tallix convert: --category needs a category name" + usage},
      {{"1", "m", "ft", "--fast"}, "tallix convert: unknown option '--fast'" + usage},
      {{"-x", "m", "ft"}, "tallix convert: unknown option '-x'" + usage},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(item.error);
    std::vector<std::string> arguments{"convert"};
    arguments.insert(arguments.end(), item.arguments.begin(), item.arguments.end());
    const Outcome run = tallixRun(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.error, item.error);
  }
}

TEST_F(UnitCommandsTests, ConvertReadsAndWritesInTheUsersLocale) {
  ScopedEnvironment german("de_DE");
  EXPECT_EQ(tallixRun({"convert", "1,5", "Meile", "km"}).output, "2,414016 km\n");
  EXPECT_EQ(tallixRun({"convert", "1.234,5", "m", "km"}).output, "1,2345 km\n");
  const Outcome period = tallixRun({"convert", "1.5", "mi", "km"});
  EXPECT_EQ(period.status, 2);
  EXPECT_EQ(period.error, "tallix convert: '1.5' is not a number in the locale de_DE\n");
  // Indian grouping: three digits, then twos.
  ScopedEnvironment hindi("hi_IN");
  EXPECT_EQ(tallixRun({"convert", "12,34,567", "m", "km"}).output, "1,234.567 km\n");
  EXPECT_EQ(tallixRun({"convert", "1,234,567", "m", "km"}).status, 2);
  // Arabic (Egypt): its own digits and separators, and the English notation it prints with.
  ScopedEnvironment arabic("ar_EG");
  EXPECT_EQ(tallixRun({"convert", "1234.5", "m", "km"}).output, "1.2345 km\n");
  EXPECT_EQ(tallixRun({"convert", "1,234.5", "m", "km"}).output, "1.2345 km\n");
  EXPECT_EQ(tallixRun({"convert", "١٢٣٤٫٥", "m", "km"}).output, "1.2345 km\n");
}

TEST_F(UnitCommandsTests, AUnitNamedInSeveralCategoriesAsksForOne) {
  useCatalogue(ambiguousCatalogue());
  const Outcome run = tallixRun({"convert", "5", "X", "Y"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.error,
            "tallix convert: 'X' and 'Y' name units of several categories (Alpha, Beta); choose "
            "one with --category NAME\n");
  EXPECT_EQ(tallixRun({"convert", "5", "X", "Y", "--category=alpha"}).output, "1.66666666667 ya\n");
  EXPECT_EQ(tallixRun({"convert", "5", "X", "Y", "--category", "Beta"}).output, "10 ys\n");
  // A symbol found in one category only decides without --category.
  EXPECT_EQ(tallixRun({"convert", "5", "xs", "ys"}).output, "10 ys\n");
}

TEST_F(UnitCommandsTests, ABrokenFormulaConvertsToZeroAndLogsOnce) {
  useCatalogue(
      {categoryEntry("Broken", {plainUnit("base", {.symbol = "b"}),
                                formulaUnit("plus", "+", std::nullopt, {.symbol = "p"})})});
  log().clear();
  const Outcome run = tallixRun({"convert", "2", "plus", "base"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "0 b\n");
  EXPECT_EQ(log().countContaining("converting plus from=(null) to=+(QVRTallixNumber(2)) to base"),
            1u);
}

TEST_F(UnitCommandsTests, HelpTextsAndTheOverview) {
  const Outcome help = tallixRun({"convert", "1", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.output, tallix::ConvertCommand().usage());
  EXPECT_TRUE(help.output.starts_with("usage: tallix convert VALUE FROM TO [--category NAME]\n"));
  EXPECT_EQ(tallixRun({"units", "-h"}).output, tallix::UnitsCommand().usage());
  const Outcome overview = tallixRun({"--help"});
  EXPECT_NE(overview.output.find("  convert   convert a value from one unit to another\n"),
            std::string::npos);
  EXPECT_NE(
      overview.output.find("  units     list the unit categories, or the units of one category\n"),
      std::string::npos);
}

TEST_F(UnitCommandsTests, UnitsListsCategoriesAndTheUnitsOfOne) {
  const Outcome temperature = tallixRun({"units", "temperature"});
  EXPECT_EQ(temperature.status, 0);
  EXPECT_EQ(temperature.output,
            "Temperature: 4 units, base unit kelvin\n"
            "NAME        SYMBOL  TITLE       NOTES\n"
            "rankine     °R      Rankine\n"
            "kelvin      K       Kelvin      base\n"
            "fahrenheit  °F      Fahrenheit\n"
            "celsius     °C      Celsius\n");
  // Found by title; hidden units marked.
  EXPECT_TRUE(tallixRun({"units", "Fuel economy"})
                  .output.starts_with("Fuel economy: 4 units, base unit kilometer-per-liter\n"));
  QVRTallixUnitCategory::categoryNamed("Temperature")->unitNamed("kelvin")->setHidden(true);
  EXPECT_NE(tallixRun({"units", "Temperature"})
                .output.find("kelvin      K       Kelvin      base, hidden\n"),
            std::string::npos);
  // A category without a base unit or units of its own.
  ScopedEnvironment custom("en_US");
  useCatalogue({categoryEntry("Odd", {formulaUnit("only", "X 2 *", std::nullopt, {.symbol = "ø"})}),
                categoryEntry("Empty", {})});
  EXPECT_EQ(tallixRun({"units", "odd"}).output,
            "Odd: 1 unit\nNAME  SYMBOL  TITLE  NOTES\nonly  ø       only\n");
  EXPECT_EQ(tallixRun({"units"}).output, "NAME   TITLE  UNITS\nEmpty  Empty  0\nOdd    Odd    1\n");
}

TEST_F(UnitCommandsTests, UnitsRefusesUnknownCategoriesOptionsAndExtraArguments) {
  const Outcome unknown = tallixRun({"units", "Weather"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.output, "");
  EXPECT_TRUE(unknown.error.starts_with(
      "tallix units: unknown category 'Weather'; the categories are: Acceleration, "));
  const Outcome two = tallixRun({"units", "Length", "Mass"});
  EXPECT_EQ(two.status, 2);
  EXPECT_EQ(two.error,
            "tallix units: expected at most one CATEGORY\nusage: tallix units [CATEGORY]\n");
  const Outcome option = tallixRun({"units", "--all"});
  EXPECT_EQ(option.status, 2);
  EXPECT_EQ(option.error, "tallix units: unknown option '--all'\nusage: tallix units [CATEGORY]\n");
}

// Whatever a unit prints in a locale, `tallix convert` reads back in that locale: random values
// of every magnitude, formatted by the unit, converted from the unit to itself, print the same.
TEST_F(UnitCommandsTests, EveryPrintedAmountReadsBackInItsLocale) {
  const char* locales[] = {"en_US", "de_DE", "de_CH", "fr_FR",       "fr_CH", "ar_EG", "fa_IR",
                           "hi_IN", "he_IL", "sv_SE", "es_ES",       "ja_JP", "ru_RU", "pt_BR",
                           "en_IN", "nb_NO", "pl_PL", "en_US_POSIX", "bn_BD", "th_TH"};
  const std::uint64_t seed = SeededRandom::testSeed(0xc0117e47);
  SeededRandom random(seed);
  for (const char* locale : locales) {
    ScopedEnvironment scoped(locale);
    QVRTallixUnitCategory* length = QVRTallixUnitCategory::categoryNamed("Length");
    ASSERT_NE(length, nullptr);
    const QVRTallixUnit& metre = *length->unitNamed("meter");
    for (int round = 0; round < 5000; ++round) {
      std::string digits = std::to_string(random.between(1, 999'999'999'999'999'999));
      digits.resize(
          static_cast<std::size_t>(random.between(1, static_cast<std::int64_t>(digits.size()))));
      const std::string text =
          (random.coin() ? "-" : "") + digits + "e" + std::to_string(random.between(-40, 40));
      const QVRTallixNumber value = number(text);
      const std::string printed = metre.formatedStringForNumber(value);
      const std::string amount = printed.substr(0, printed.size() - 2);  // without " m"
      const Outcome run = tallixRun({"convert", amount, "meter", "meter", "--category", "Length"});
      if (run.status != 0 || run.output != printed + "\n") {
        ADD_FAILURE() << "seed " << seed << ", " << locale << ": " << text << " printed as '"
                      << amount << "' gave " << run.status << " " << run.output << run.error;
        break;
      }
    }
  }
}

}  // namespace
