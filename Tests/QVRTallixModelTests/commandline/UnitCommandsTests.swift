import Foundation
import TallixCommandLine
import Testing

@testable import QVRTallixModel

/// `tallix convert` and `tallix units` (Parts 5.1 to 5.3 on the bundled catalogue): golden
/// output through `TallixBufferIO`.
@Suite("tallix convert and tallix units")
@MainActor
struct UnitCommandsTests {
    typealias F = UnitFixtures

    struct Run {
        let status: Int32
        let output: String
        let error: String
    }

    func tallix(_ arguments: String...) -> Run {
        let buffer = TallixBufferIO()
        let status = TallixCommandLine.run(arguments, io: buffer.io)
        return Run(status: status, output: buffer.output, error: buffer.error)
    }

    // MARK: - convert

    @Test(
        "convert prints the value formatted by the target unit",
        arguments: [
            (["100", "°C", "°F"], "212 °F\n"),
            (["0", "K", "°C"], "-273.15 °C\n"),
            (["-40", "celsius", "fahrenheit"], "-40 °F\n"),
            (["1", "in", "cm"], "2.54 cm\n"),
            (["1", "mile", "km"], "1.609344 km\n"),
            (["1", "Gallon (US)", "L"], "3.785411784 L\n"),
            (["1", "US gal", "imp gal"], "0.832674184628989 imp gal\n"),
            (["10", "L/100 km", "US mpg"], "23.5214583333 US mpg\n"),
            (["1,234.5", "m", "KM"], "1.2345 km\n"),
            (["1", "GiB", "MB"], "1,073.741824 MB\n"),
            (["1", "Mbit", "kB"], "125 kB\n"),
            (["5", "X", "Y", "--category", "Beta"], "10 ys\n"),
        ])
    func convert(arguments: [String], expected: String) {
        withTestEnvironment { env in
            if arguments.contains("Beta") { env.configuration.replaceValues(Self.ambiguousConfiguration) }
            let buffer = TallixBufferIO()
            let status = TallixCommandLine.run(["convert"] + arguments, io: buffer.io)
            #expect(buffer.error == "")
            #expect(status == 0)
            #expect(buffer.output == expected)
        }
    }

    @Test("convert reads the value in the user's locale and formats in it")
    func convertInGerman() {
        withTestEnvironment(locale: "de_DE") { _ in
            let run = tallix("convert", "1,5", "Meile", "km")
            #expect(run.status == 0)
            #expect(run.output == "2,414016 km\n")
            let grouped = tallix("convert", "1.234,5", "m", "km")
            #expect(grouped.output == "1,2345 km\n")
            let period = tallix("convert", "1.5", "mi", "km")
            #expect(period.status == 2)
            #expect(period.error == "tallix convert: '1.5' is not a number in the locale de_DE\n")
        }
    }

    @Test(
        "convert refuses bad input with a message on standard error and exit code 2",
        arguments: [
            (
                ["1", "furlongs", "m"],
                "tallix convert: unknown unit 'furlongs'; 'tallix units CATEGORY' lists the units\n"
            ),
            (
                ["1", "m", "parsecs"],
                "tallix convert: unknown unit 'parsecs'; 'tallix units CATEGORY' lists the units\n"
            ),
            (
                ["1", "m", "kg"],
                "tallix convert: 'm' (Length) and 'kg' (Mass) are not units of one category\n"
            ),
            (
                ["1", "gallon", "L"],
                "tallix convert: 'gallon' is ambiguous in Volume: it names gallon-us (US gal), gallon-imperial (imp gal); use the unit's name or symbol\n"
            ),
            (
                ["1", "m", "ft", "--category", "Weather"],
                "tallix convert: unknown category 'Weather'; the categories are: Acceleration, Angle, Area, DataRate, DataStorage, Energy, Force, Frequency, FuelEconomy, Length, Mass, Power, Pressure, Speed, Temperature, Time, Volume\n"
            ),
            (
                ["1", "m", "ft", "--category", "Mass"],
                "tallix convert: unknown unit 'm' in the category Mass; 'tallix units CATEGORY' lists the units\n"
            ),
            (["ten", "m", "ft"], "tallix convert: 'ten' is not a number in the locale en_US\n"),
            (["1,5", "m", "ft"], "tallix convert: '1,5' is not a number in the locale en_US\n"),
            (["1e3", "m", "ft"], "tallix convert: '1e3' is not a number in the locale en_US\n"),
            (
                ["1", "m"],
                "tallix convert: expected VALUE FROM TO, got 2 arguments\nusage: tallix convert VALUE FROM TO [--category NAME]\n"
            ),
            (
                ["1", "m", "ft", "yd"],
                "tallix convert: expected VALUE FROM TO, got 4 arguments\nusage: tallix convert VALUE FROM TO [--category NAME]\n"
            ),
            (
                ["1", "m", "ft", "--category"],
                "tallix convert: --category needs a category name\nusage: tallix convert VALUE FROM TO [--category NAME]\n"
            ),
            (
                ["1", "m", "ft", "--fast"],
                "tallix convert: unknown option '--fast'\nusage: tallix convert VALUE FROM TO [--category NAME]\n"
            ),
        ])
    func convertErrors(arguments: [String], expected: String) {
        withTestEnvironment { _ in
            let buffer = TallixBufferIO()
            let status = TallixCommandLine.run(["convert"] + arguments, io: buffer.io)
            #expect(status == 2)
            #expect(buffer.output == "")
            #expect(buffer.error == expected)
        }
    }

    /// Two categories that both hold units named X and Y.
    static var ambiguousConfiguration: [String: Any] {
        [
            "categories": [
                F.category(
                    "Alpha", units: [F.plainUnit("X", symbol: "xa"), F.formulaUnit("Y", to: "X 3 *", symbol: "ya")]),
                F.category(
                    "Beta", units: [F.plainUnit("X", symbol: "xs"), F.formulaUnit("Y", to: "X 0.5 *", symbol: "ys")]),
            ]
        ]
    }

    @Test("a unit name found in several categories asks for --category")
    func ambiguousAcrossCategories() {
        withTestEnvironment(configuration: Self.ambiguousConfiguration) { _ in
            let run = tallix("convert", "5", "X", "Y")
            #expect(run.status == 2)
            #expect(
                run.error
                    == "tallix convert: 'X' and 'Y' name units of several categories (Alpha, Beta); choose one with --category NAME\n"
            )
            let chosen = tallix("convert", "5", "X", "Y", "--category=alpha")
            #expect(chosen.status == 0)
            #expect(chosen.output == "1.66666666667 ya\n")
            // A symbol found in one category only decides without --category.
            #expect(tallix("convert", "5", "xs", "ys").output == "10 ys\n")
        }
    }

    @Test("a broken formula converts to zero and logs one line; the command still succeeds")
    func convertWithBrokenFormula() {
        let configuration: [String: Any] = [
            "categories": [
                F.category(
                    "Broken", units: [F.plainUnit("base", symbol: "b"), F.formulaUnit("plus", to: "+", symbol: "p")])
            ]
        ]
        withTestEnvironment(configuration: configuration) { env in
            let run = tallix("convert", "2", "plus", "base")
            #expect(run.status == 0)
            #expect(run.output == "0 b\n")
            #expect(env.loggedLines.count == 1)
        }
    }

    @Test("convert --help prints the usage and succeeds")
    func convertHelp() {
        withTestEnvironment { _ in
            let run = tallix("convert", "--help")
            #expect(run.status == 0)
            #expect(run.output == ConvertCommand.usage)
            #expect(run.output.hasPrefix("usage: tallix convert VALUE FROM TO [--category NAME]\n"))
        }
    }

    // MARK: - units

    @Test("units lists the categories by title")
    func unitsList() {
        withTestEnvironment { _ in
            let run = tallix("units")
            #expect(run.status == 0)
            #expect(run.error == "")
            #expect(
                run.output == """
                    NAME          TITLE         UNITS
                    Acceleration  Acceleration  6
                    Angle         Angle         7
                    Area          Area          11
                    DataRate      Data rate     12
                    DataStorage   Data storage  15
                    Energy        Energy        12
                    Force         Force         9
                    Frequency     Frequency     6
                    FuelEconomy   Fuel economy  4
                    Length        Length        17
                    Mass          Mass          13
                    Power         Power         9
                    Pressure      Pressure      12
                    Speed         Speed         7
                    Temperature   Temperature   4
                    Time          Time          11
                    Volume        Volume        21

                    """)
        }
    }

    @Test("units CATEGORY lists its units from the smallest, with the base unit and hidden units marked")
    func unitsOfCategory() {
        withTestEnvironment { _ in
            let temperature = tallix("units", "temperature")
            #expect(temperature.status == 0)
            #expect(
                temperature.output == """
                    Temperature: 4 units, base unit kelvin
                    NAME        SYMBOL  TITLE       NOTES
                    rankine     °R      Rankine
                    kelvin      K       Kelvin      base
                    fahrenheit  °F      Fahrenheit
                    celsius     °C      Celsius

                    """)
            let force = tallix("units", "Force")
            #expect(
                force.output == """
                    Force: 9 units, base unit newton
                    NAME            SYMBOL  TITLE           NOTES
                    dyne            dyn     Dyne
                    millinewton     mN      Millinewton
                    poundal         pdl     Poundal         hidden
                    ounce-force     ozf     Ounce-force
                    newton          N       Newton          base
                    pound-force     lbf     Pound-force
                    kilogram-force  kgf     Kilogram-force
                    kilonewton      kN      Kilonewton
                    kip             kip     Kip

                    """)
            // A category is found by its title as well.
            #expect(
                tallix("units", "Fuel economy").output.hasPrefix(
                    "Fuel economy: 4 units, base unit kilometer-per-liter\n"))
        }
        withTestEnvironment(locale: "de_DE") { _ in
            let run = tallix("units", "Temperatur")
            #expect(run.output.hasPrefix("Temperatur: 4 units, base unit kelvin\n"))
        }
    }

    @Test("units refuses an unknown category, an option or more than one argument with exit code 2")
    func unitsErrors() {
        withTestEnvironment { _ in
            let unknown = tallix("units", "Currency")
            #expect(unknown.status == 2)
            #expect(unknown.output == "")
            #expect(
                unknown.error.hasPrefix("tallix units: unknown category 'Currency'; the categories are: Acceleration, ")
            )
            let two = tallix("units", "Length", "Mass")
            #expect(two.status == 2)
            #expect(two.error == "tallix units: expected at most one CATEGORY\nusage: tallix units [CATEGORY]\n")
            let option = tallix("units", "--all")
            #expect(option.status == 2)
            #expect(option.error == "tallix units: unknown option '--all'\nusage: tallix units [CATEGORY]\n")
            let help = tallix("units", "-h")
            #expect(help.status == 0)
            #expect(help.output == UnitsCommand.usage)
        }
    }

    @Test("tallix --help lists convert and units")
    func overviewListsCommands() {
        withTestEnvironment { _ in
            let run = tallix("--help")
            #expect(run.output.contains("  convert   convert a value from one unit to another\n"))
            #expect(run.output.contains("  units     list the unit categories, or the units of one category\n"))
        }
    }
}
