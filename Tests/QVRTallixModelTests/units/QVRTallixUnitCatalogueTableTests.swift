import Foundation
import Testing

@testable import QVRTallixModel

/// The bundled unit catalogue (`Resources/Configuration/categories.plist` and its strings tables):
/// its shape, its exact factors, and conversions checked against NIST SP 811 (Appendix B) and the
/// SI brochure. Expected values are derived from the exact definitions (the inch is 0.0254 m, the
/// pound 0.45359237 kg, standard gravity 9.80665 m/s², the US gallon 231 in³, …); where the
/// result does not terminate it is given to 34 digits and checked to 30 significant digits.
@Suite("Parts 5.1 to 5.3: the bundled unit catalogue")
struct QVRTallixUnitCatalogueTableTests {
    typealias F = UnitFixtures

    struct NISTCase: CustomTestStringConvertible, Sendable {
        let category: String
        let from: String
        let to: String
        let value: String
        let expected: String
        /// Whether the expected value is exact (else it holds 34 significant digits).
        let exact: Bool

        init(_ category: String, _ from: String, _ to: String, _ value: String, _ expected: String, _ exact: Bool) {
            self.category = category
            self.from = from
            self.to = to
            self.value = value
            self.expected = expected
            self.exact = exact
        }

        var testDescription: String { "\(value) \(from) = \(expected) \(to)" }
    }

    static let nistCases: [NISTCase] = [
        .init("Length", "inch", "centimeter", "1", "2.54", true),
        .init("Length", "foot", "meter", "1", "0.3048", true),
        .init("Length", "yard", "meter", "1", "0.9144", true),
        .init("Length", "mile", "kilometer", "1", "1.609344", true),
        .init("Length", "nautical-mile", "meter", "1", "1852", true),
        .init("Length", "mile", "foot", "1", "5280", true),
        .init("Length", "mile", "yard", "1", "1760", true),
        .init("Length", "foot", "inch", "1", "12", true),
        .init("Length", "astronomical-unit", "kilometer", "1", "149597870.7", true),
        .init("Length", "light-year", "meter", "1", "9460730472580800", true),
        .init("Length", "fathom", "foot", "1", "6", true),
        .init("Length", "furlong", "yard", "1", "220", true),
        .init("Length", "angstrom", "nanometer", "1", "0.1", true),
        .init("Length", "mil", "micrometer", "1", "25.4", true),
        .init("Length", "kilometer", "mile", "1", "0.6213711922373339696174341843633182", false),
        .init("Area", "acre", "square-meter", "1", "4046.8564224", true),
        .init("Area", "hectare", "acre", "1", "2.471053814671653422482439291988063", false),
        .init("Area", "square-mile", "acre", "1", "640", true),
        .init("Area", "square-foot", "square-inch", "1", "144", true),
        .init("Area", "square-yard", "square-foot", "1", "9", true),
        .init("Volume", "gallon-us", "liter", "1", "3.785411784", true),
        .init("Volume", "gallon-imperial", "liter", "1", "4.54609", true),
        .init("Volume", "gallon-us", "cubic-inch", "1", "231", true),
        .init("Volume", "gallon-us", "fluid-ounce-us", "1", "128", true),
        .init("Volume", "gallon-imperial", "fluid-ounce-imperial", "1", "160", true),
        .init("Volume", "cubic-foot", "liter", "1", "28.316846592", true),
        .init("Volume", "barrel-oil", "gallon-us", "1", "42", true),
        .init("Volume", "cup-us", "tablespoon-us", "1", "16", true),
        .init("Volume", "tablespoon-us", "teaspoon-us", "1", "3", true),
        .init("Volume", "cubic-yard", "cubic-foot", "1", "27", true),
        .init("Volume", "liter", "gallon-us", "1", "0.2641720523581484153798999216091625", false),
        .init("Mass", "pound", "kilogram", "1", "0.45359237", true),
        .init("Mass", "ounce", "gram", "1", "28.349523125", true),
        .init("Mass", "stone", "pound", "1", "14", true),
        .init("Mass", "short-ton", "pound", "1", "2000", true),
        .init("Mass", "long-ton", "kilogram", "1", "1016.0469088", true),
        .init("Mass", "troy-ounce", "gram", "1", "31.1034768", true),
        .init("Mass", "grain", "milligram", "1", "64.79891", true),
        .init("Mass", "carat", "milligram", "1", "200", true),
        .init("Mass", "tonne", "pound", "1", "2204.622621848775807229738013450270", false),
        .init("Temperature", "celsius", "fahrenheit", "100", "212", true),
        .init("Temperature", "kelvin", "celsius", "0", "-273.15", true),
        .init("Temperature", "fahrenheit", "celsius", "32", "0", true),
        .init("Temperature", "celsius", "fahrenheit", "-40", "-40", true),
        .init("Temperature", "fahrenheit", "kelvin", "0", "255.3722222222222222222222222222222", false),
        .init("Temperature", "rankine", "celsius", "491.67", "0", true),
        .init("Temperature", "celsius", "kelvin", "100", "373.15", true),
        .init("Temperature", "fahrenheit", "rankine", "0", "459.67", true),
        .init("Time", "day", "second", "1", "86400", true),
        .init("Time", "week", "hour", "1", "168", true),
        .init("Time", "year", "day", "1", "365.2425", true),
        .init("Time", "julian-year", "day", "1", "365.25", true),
        .init("Time", "hour", "millisecond", "1", "3600000", true),
        .init("Speed", "mile-per-hour", "meter-per-second", "1", "0.44704", true),
        .init("Speed", "knot", "kilometer-per-hour", "1", "1.852", true),
        .init("Speed", "meter-per-second", "kilometer-per-hour", "1", "3.6", true),
        .init("Speed", "foot-per-second", "meter-per-second", "1", "0.3048", true),
        .init("Speed", "speed-of-light", "meter-per-second", "1", "299792458", true),
        .init(
            "Acceleration", "standard-gravity", "foot-per-second-squared", "1", "32.17404855643044619422572178477690",
            false),
        .init("Acceleration", "gal", "meter-per-second-squared", "1", "0.01", true),
        .init("Pressure", "atmosphere", "pascal", "1", "101325", true),
        .init("Pressure", "atmosphere", "torr", "1", "760", true),
        .init("Pressure", "bar", "kilopascal", "1", "100", true),
        .init("Pressure", "psi", "pascal", "1", "6894.757293168361336722673445346891", false),
        .init("Pressure", "millimeter-of-mercury", "pascal", "1", "133.322387415", true),
        .init("Pressure", "inch-of-mercury", "pascal", "1", "3386.388640341", true),
        .init("Pressure", "atmosphere", "psi", "1", "14.69594877551344872550347215715473", false),
        .init("Pressure", "inch-of-water", "pascal", "1", "249.08891", true),
        .init("Energy", "calorie", "joule", "1", "4.184", true),
        .init("Energy", "kilowatt-hour", "megajoule", "1", "3.6", true),
        .init("Energy", "british-thermal-unit", "joule", "1", "1055.05585262", true),
        .init("Energy", "electronvolt", "joule", "1", "0.0000000000000000001602176634", true),
        .init("Energy", "foot-pound-force", "joule", "1", "1.3558179483314004", true),
        .init("Energy", "kilocalorie", "kilojoule", "1", "4.184", true),
        .init("Energy", "calorie-it", "joule", "1", "4.1868", true),
        .init("Power", "horsepower", "watt", "1", "745.69987158227022", true),
        .init("Power", "metric-horsepower", "watt", "1", "735.49875", true),
        .init("Power", "kilowatt", "horsepower", "1", "1.341022089595027934323785572674645", false),
        .init("Power", "btu-per-hour", "watt", "1", "0.2930710701722222222222222222222222", false),
        .init("Force", "pound-force", "newton", "1", "4.4482216152605", true),
        .init("Force", "kilogram-force", "newton", "1", "9.80665", true),
        .init("Force", "kip", "pound-force", "1", "1000", true),
        .init("Force", "dyne", "newton", "1", "0.00001", true),
        .init("Force", "pound-force", "poundal", "1", "32.17404855643044619422572178477690", false),
        .init("Angle", "turn", "degree", "1", "360", true),
        .init("Angle", "gradian", "degree", "1", "0.9", true),
        .init("Angle", "radian", "degree", "1", "57.29577951308232087679815481410517", false),
        .init("Angle", "degree", "radian", "180", "3.141592653589793238462643383279503", false),
        .init("Angle", "degree", "arcminute", "1", "60", true),
        .init("Angle", "degree", "arcsecond", "1", "3600", true),
        .init("DataStorage", "kibibyte", "byte", "1", "1024", true),
        .init("DataStorage", "gibibyte", "megabyte", "1", "1073.741824", true),
        .init("DataStorage", "byte", "bit", "1", "8", true),
        .init("DataStorage", "gigabyte", "gibibyte", "1", "0.931322574615478515625", true),
        .init("DataRate", "megabyte-per-second", "megabit-per-second", "1", "8", true),
        .init("DataRate", "megabit-per-second", "megabyte-per-second", "100", "12.5", true),
        .init("FuelEconomy", "liter-per-100-kilometers", "kilometer-per-liter", "10", "10", true),
        .init(
            "FuelEconomy", "liter-per-100-kilometers", "mile-per-gallon-us", "10",
            "23.52145833333333333333333333333333", false),
        .init(
            "FuelEconomy", "mile-per-gallon-us", "liter-per-100-kilometers", "30",
            "7.840486111111111111111111111111111", false),
        .init(
            "FuelEconomy", "mile-per-gallon-imperial", "kilometer-per-liter", "1",
            "0.3540061899346471363303410183256381", false),
        .init("Frequency", "megahertz", "kilohertz", "1", "1000", true),
        .init("Frequency", "revolution-per-minute", "hertz", "60", "1", true),
        .init("Frequency", "hertz", "revolution-per-minute", "1", "60", true),
    ]

    static let requiredCategories = [
        "Length", "Area", "Volume", "Mass", "Temperature", "Time", "Speed", "Acceleration", "Pressure", "Energy",
        "Power", "Force", "Angle", "DataStorage", "DataRate", "FuelEconomy", "Frequency",
    ]

    /// Whether `result` equals `expected` to 30 significant digits.
    static func agrees(_ result: QVRTallixDecimal, _ expected: QVRTallixDecimal) throws -> Bool {
        let difference = try QVRTallixDecimal.subtract(result, expected).magnitude
        let bound = try QVRTallixDecimal.multiply(expected.magnitude, F.decimal("1e-30"))
        return QVRTallixDecimal.compare(difference, bound) != .orderedDescending
    }

    /// The formula units whose "to" formula is a pure factor "X <decimal> *" without "from".
    static func factor(of unit: QVRTallixUnit) -> String? {
        guard let formulaUnit = unit as? QVRTallixFormulaUnit, formulaUnit.fromFormula == nil,
            let to = formulaUnit.toFormula
        else { return nil }
        let tokens = to.split(separator: " ", omittingEmptySubsequences: false)
        guard tokens.count == 3, tokens[0] == "X", tokens[2] == "*" else { return nil }
        return String(tokens[1])
    }

    @Test("the catalogue holds the required categories, Temperature is the default, and there are no currencies")
    func categories() throws {
        withTestEnvironment { _ in
            let names = QVRTallixUnitCategory.allCategories.compactMap(\.name)
            #expect(Set(names) == Set(Self.requiredCategories))
            #expect(QVRTallixUnitCategory.defaultCategory?.name == "Temperature")
            #expect(!QVRTallixUnitCategory.allCategories.contains { $0 is QVRTallixCurrencyUnitCategory })
            #expect(QVRTallixUnitCategory.visibleCategories.count == Self.requiredCategories.count)
        }
    }

    @Test("every category has one plain base unit, a precision, and default unit names that name visible units")
    func categoryShape() throws {
        try withTestEnvironment { _ in
            for category in QVRTallixUnitCategory.allCategories {
                let name = category.name ?? "?"
                let bases = category.units.filter { type(of: $0) == QVRTallixUnit.self }
                #expect(bases.count == 1, "\(name)")
                #expect(category.units.count >= 4, "\(name)")
                #expect(category.precision > 0, "\(name)")
                let from = try #require(category.unitNamed(category.defaultFromUnitName), "\(name)")
                let to = try #require(category.unitNamed(category.defaultToUnitName), "\(name)")
                #expect(!from.isHidden && !to.isHidden && from !== to, "\(name)")
                #expect(category.defaultFromUnit === from && category.defaultToUnit === to, "\(name)")
                #expect(Set(category.units.compactMap(\.name)).count == category.units.count, "\(name)")
                #expect(Set(category.units.map(\.symbol)).count == category.units.count, "\(name)")
                for unit in category.units {
                    #expect(!unit.symbol.isEmpty, "\(name) \(unit)")
                    #expect(unit.name.map { !$0.contains(" ") } == true, "\(name) \(unit)")
                }
                // Sorted by the size of one unit in the base unit.
                for (smaller, larger) in zip(category.units, category.units.dropFirst()) {
                    #expect(smaller.compare(larger) != .orderedDescending, "\(name) \(smaller) \(larger)")
                }
            }
        }
    }

    @Test("every title, symbol and modifier has an entry in the category's en, en-US and de tables")
    func stringsTables() throws {
        try withTestEnvironment { env in
            let resources = try #require(env.resourcesURL)
            let entries = try #require(env.configuration.object(forKey: "categories") as? [[String: Any]])
            for entry in entries {
                let name = try #require(entry["name"] as? String)
                for localization in ["en", "en-US", "de"] {
                    let url = resources.appendingPathComponent("\(localization).lproj/\(name).strings")
                    let data = try Data(contentsOf: url)
                    let table = try #require(
                        try PropertyListSerialization.propertyList(from: data, options: [], format: nil)
                            as? [String: String], "\(localization) \(name)")
                    #expect(table[entry["title"] as? String ?? name] != nil, "\(localization) \(name)")
                    for unit in entry["units"] as? [[String: Any]] ?? [] {
                        for key in ["title", "symbol", "modifier"] {
                            if let text = unit[key] as? String {
                                #expect(table[text] != nil, "\(localization) \(name) \(key) \(text)")
                            }
                        }
                    }
                }
            }
        }
        // US spellings where en says metre and litre.
        withTestEnvironment(locale: "en_US") { _ in
            #expect(QVRTallixUnitCategory.categoryNamed("Length")?.unitNamed("meter")?.title == "Meter")
            #expect(QVRTallixUnitCategory.categoryNamed("Volume")?.unitNamed("liter")?.title == "Liter")
        }
        withTestEnvironment(locale: "en_GB") { _ in
            #expect(QVRTallixUnitCategory.categoryNamed("Length")?.unitNamed("meter")?.title == "Metre")
            #expect(QVRTallixUnitCategory.categoryNamed("Volume")?.unitNamed("liter")?.title == "Litre")
        }
        withTestEnvironment(locale: "de_DE") { _ in
            #expect(QVRTallixUnitCategory.categoryNamed("Length")?.title == "Länge")
            #expect(QVRTallixUnitCategory.categoryNamed("Length")?.unitNamed("inch")?.title == "Zoll")
            #expect(
                QVRTallixUnitCategory.categoryNamed("Volume")?.unitNamed("gallon-us")?.titleWithModifier
                    == "Gallone (US)")
        }
    }

    @Test(
        "every pure-factor unit converted to its base and back gives the input exactly",
        arguments: ["1", "7", "0.5", "-2.25", "123.456", "1000000", "0.000001"])
    func factorRoundTrip(input: String) throws {
        try withTestEnvironment { env in
            var checked = 0
            for category in QVRTallixUnitCategory.allCategories {
                for unit in category.units {
                    guard let factor = Self.factor(of: unit) else { continue }
                    // The factor is exact decimal text that the decimal type holds without rounding.
                    let factorValue = try #require(QVRTallixDecimal(string: factor, requiresWholeText: true))
                    #expect(QVRTallixDecimal(string: factorValue.description) == factorValue, "\(unit)")
                    let value = F.number(input)
                    let base = try unit.convertToBaseUnit(value)
                    #expect(
                        base.decimalNumber == (try QVRTallixDecimal.multiply(F.decimal(input), factorValue)), "\(unit)")
                    let back = try unit.convertFromBaseUnit(base)
                    #expect(back.decimalNumber == value.decimalNumber, "\(category.name ?? "") \(unit) \(input)")
                    checked += 1
                }
            }
            #expect(checked > 130)
            #expect(env.loggedLines.isEmpty)
        }
    }

    @Test("every other formula unit converted to its base and back agrees to 30 significant digits")
    func formulaRoundTrip() throws {
        try withTestEnvironment { env in
            var checked = 0
            for category in QVRTallixUnitCategory.allCategories {
                for unit in category.units where unit is QVRTallixFormulaUnit && Self.factor(of: unit) == nil {
                    for input in ["1", "7", "0.5", "123.456", "-40"] {
                        let back = try unit.convertFromBaseUnit(try unit.convertToBaseUnit(F.number(input)))
                        let value = try #require(back.decimalNumber)
                        #expect(try Self.agrees(value, F.decimal(input)), "\(unit) \(input) gave \(value)")
                    }
                    checked += 1
                }
            }
            #expect(checked >= 15)
            #expect(env.loggedLines.isEmpty)
        }
    }

    @Test("conversions agree with NIST SP 811", arguments: nistCases)
    func nist(_ item: NISTCase) throws {
        try withTestEnvironment { env in
            let category = try #require(QVRTallixUnitCategory.categoryNamed(item.category))
            let from = try #require(category.unitNamed(item.from), "\(item.from)")
            let to = try #require(category.unitNamed(item.to), "\(item.to)")
            let result = try #require(QVRTallixUnit.convertNumber(F.number(item.value), fromUnit: from, toUnit: to))
            let value = try #require(result.decimalNumber)
            let expected = F.decimal(item.expected)
            if item.exact {
                #expect(value == expected, "got \(value)")
            } else {
                #expect(try Self.agrees(value, expected), "got \(value)")
            }
            #expect(env.loggedLines.isEmpty)
        }
    }

    @Test("at least 40 NIST conversions, temperatures included")
    func nistListSize() {
        #expect(Self.nistCases.count >= 40)
        #expect(
            Self.nistCases.contains {
                $0.from == "celsius" && $0.to == "fahrenheit" && $0.value == "100" && $0.expected == "212"
            })
        #expect(
            Self.nistCases.contains {
                $0.from == "kelvin" && $0.to == "celsius" && $0.value == "0" && $0.expected == "-273.15"
            })
    }
}
