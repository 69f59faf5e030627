import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Part 5.1: units and conversion")
struct QVRTallixUnitTests {
    typealias F = UnitFixtures

    // MARK: - Edge cases of Part 5.1

    @Test("Converting with a none number or unit yields none, without a log line")
    func convertingWithNoneYieldsNone() throws {
        try withTestEnvironment { env in
            let category = QVRTallixUnitCategory(dictionary: F.lengthCategory(), stringsDictionary: nil)
            let metre = try #require(category.unitNamed("metre"))
            let kilometre = try #require(category.unitNamed("kilometre"))
            #expect(QVRTallixUnit.convertNumber(nil, fromUnit: metre, toUnit: kilometre) == nil)
            #expect(QVRTallixUnit.convertNumber(F.number("1"), fromUnit: nil, toUnit: kilometre) == nil)
            #expect(QVRTallixUnit.convertNumber(F.number("1"), fromUnit: metre, toUnit: nil) == nil)
            #expect(QVRTallixUnit.convertNumber(nil, fromUnit: nil, toUnit: nil) == nil)
            #expect(env.loggedLines.isEmpty)
        }
    }

    @Test("Converting between two plain units returns the same value (the identity twice)")
    func plainToPlainIsIdentity() throws {
        try withTestEnvironment { env in
            let category = QVRTallixUnitCategory(
                dictionary: F.category("Plain", units: [F.plainUnit("a"), F.plainUnit("b")]), stringsDictionary: nil)
            let a = try #require(category.unitNamed("a"))
            let b = try #require(category.unitNamed("b"))
            let value = F.number("123.456789012345678901234567890123456")
            let result = try #require(QVRTallixUnit.convertNumber(value, fromUnit: a, toUnit: b))
            #expect(result === value)
            #expect(try a.convertToBaseUnit(value) === value)
            #expect(try b.convertFromBaseUnit(value) === value)
            #expect(env.loggedLines.isEmpty)
        }
    }

    @Test("Units of different categories are not refused: the source's base value is taken as the target's")
    func differentCategoriesAreNotRefused() throws {
        try withTestEnvironment { _ in
            let length = QVRTallixUnitCategory(dictionary: F.lengthCategory(), stringsDictionary: nil)
            let temperature = QVRTallixUnitCategory(dictionary: F.temperatureCategory(), stringsDictionary: nil)
            let kilometre = try #require(length.unitNamed("kilometre"))
            let celsius = try #require(temperature.unitNamed("celsius"))
            // 1 km is 1000 in the base (metres); 1000 taken as kelvin is 726.85 °C.
            let result = try #require(QVRTallixUnit.convertNumber(F.number("1"), fromUnit: kilometre, toUnit: celsius))
            #expect(result.decimalNumber == F.decimal("726.85"))
        }
    }

    @Test("A conversion that raises yields zero, and the log line names source unit, number and target unit in order")
    func raisingConversionYieldsZeroAndLogs() throws {
        try withTestEnvironment { env in
            let category = QVRTallixUnitCategory(
                dictionary: F.category(
                    "Broken",
                    units: [
                        F.plainUnit("base"),
                        F.formulaUnit("huge", to: "X 1e100 * 1e100 *"),
                    ]),
                stringsDictionary: nil)
            let huge = try #require(category.unitNamed("huge"))
            let base = try #require(category.unitNamed("base"))
            let result = try #require(QVRTallixUnit.convertNumber(F.number("2"), fromUnit: huge, toUnit: base))
            #expect(result.decimalNumber == .zero)
            #expect(env.loggedLines.count == 1)
            let line = try #require(env.loggedLines.first)
            #expect(line.hasPrefix("converting huge from=(null) to=X 1e100 * 1e100 *(QVRTallixNumber(2)) to base"))
            #expect(line.contains("overflow"))
            // The units are unchanged: a later conversion raises again, and another works.
            let again = try #require(QVRTallixUnit.convertNumber(F.number("0"), fromUnit: huge, toUnit: base))
            #expect(again.decimalNumber == .zero)
            #expect(env.loggedLines.count == 1)
        }
    }

    @Test(
        "A unit without title shows its name localised through the category's table; without symbol it formats as the number and one space"
    )
    func unitWithoutTitleAndSymbol() throws {
        // "Metre" is a key of the bundled table "Length": en-US says "Meter", en says "Metre".
        try withTestEnvironment(locale: "en_US") { _ in
            let category = QVRTallixUnitCategory(
                dictionary: F.category("Length", units: [F.plainUnit("Metre"), F.plainUnit("no-such-key")]),
                stringsDictionary: nil)
            let metre = try #require(category.unitNamed("Metre"))
            #expect(metre.title == "Meter")
            #expect(metre.symbol == "")
            #expect(metre.formatedStringForNumber(F.number("2")) == "2 ")
            #expect(category.unitNamed("no-such-key")?.title == "no-such-key")
        }
        withTestEnvironment(locale: "de_DE") { _ in
            let category = QVRTallixUnitCategory(
                dictionary: F.category("Length", units: [F.plainUnit("Metre")]), stringsDictionary: nil)
            #expect(category.unitNamed("Metre")?.title == "Meter")
            #expect(category.unitNamed("Metre")?.formatedStringForNumber(F.number("2.5")) == "2,5 ")
        }
        withTestEnvironment(locale: "en_GB") { _ in
            let category = QVRTallixUnitCategory(
                dictionary: F.category("Length", units: [F.plainUnit("Metre")]), stringsDictionary: nil)
            #expect(category.unitNamed("Metre")?.title == "Metre")
        }
    }

    @Test("A stored unit.%@.%@.hidden value wins over the catalogue's hidden, whether true or false")
    func storedHiddenWins() throws {
        try withTestEnvironment { env in
            env.userDefaults.set(false, forKey: "unit.Cat.shown-by-user.hidden")
            env.userDefaults.set(true, forKey: "unit.Cat.hidden-by-user.hidden")
            let category = QVRTallixUnitCategory(
                dictionary: F.category(
                    "Cat",
                    units: [
                        F.plainUnit("shown-by-user", hidden: true),
                        F.formulaUnit("hidden-by-user", to: "X 2 *", hidden: false),
                        F.formulaUnit("catalogue-hidden", to: "X 3 *", hidden: true),
                        F.formulaUnit("catalogue-shown", to: "X 4 *"),
                    ]),
                stringsDictionary: nil)
            let shown = try #require(category.unitNamed("shown-by-user"))
            let hidden = try #require(category.unitNamed("hidden-by-user"))
            #expect(shown.defaultHidden == true)
            #expect(shown.isHidden == false)
            #expect(hidden.defaultHidden == false)
            #expect(hidden.isHidden == true)
            #expect(category.unitNamed("catalogue-hidden")?.isHidden == true)
            #expect(category.unitNamed("catalogue-shown")?.isHidden == false)
            #expect(shown.hiddenDefaultsKey == "unit.Cat.shown-by-user.hidden")
        }
    }

    @Test("setHidden: with the current value stores nothing and does not reset the category's visible units")
    func setHiddenWithCurrentValue() throws {
        try withTestEnvironment { env in
            let category = QVRTallixUnitCategory(dictionary: F.lengthCategory(), stringsDictionary: nil)
            let metre = try #require(category.unitNamed("metre"))
            let before = category.visibleUnits
            let will = NotificationRecorder(QVRTallixUnitCategoryVisibleUnitsWillChangeNotification, in: env)
            let did = NotificationRecorder(QVRTallixUnitCategoryVisibleUnitsDidChangeNotification, in: env)
            metre.setHidden(false)
            #expect(env.userDefaults.object(forKey: metre.hiddenDefaultsKey) == nil)
            #expect(will.count == 0)
            #expect(did.count == 0)
            #expect(category.visibleUnits.count == before.count)

            // A change stores the choice, resets the visible units and announces it.
            metre.setHidden(true)
            #expect(env.userDefaults.object(forKey: metre.hiddenDefaultsKey) as? Bool == true)
            #expect(will.count == 1)
            #expect(did.count == 1)
            #expect(did.notifications.first?.object as? QVRTallixUnitCategory === category)
            #expect(!category.visibleUnits.contains { $0 === metre })
            // From then on the stored choice overrides the catalogue, also when it equals it.
            metre.setHidden(false)
            #expect(env.userDefaults.object(forKey: metre.hiddenDefaultsKey) as? Bool == false)
        }
    }

    @Test("Two units with the same base value of one are ordered by titleWithModifier")
    func sameSizeOrderedByTitleWithModifier() throws {
        try withTestEnvironment { _ in
            let category = QVRTallixUnitCategory(
                dictionary: F.category(
                    "Ties",
                    units: [
                        F.formulaUnit("b", to: "X 1000 *", title: "Pint", modifier: "US"),
                        F.formulaUnit("c", to: "X 1000 *", title: "Pint", modifier: "Imperial"),
                        F.formulaUnit("d", to: "X 2 *", title: "Zed"),
                        F.formulaUnit("a", to: "X 1000 *", title: "Cup"),
                        F.plainUnit("base", title: "Base"),
                    ]),
                stringsDictionary: nil)
            #expect(category.units.map(\.name) == ["base", "d", "a", "c", "b"])
            let a = try #require(category.unitNamed("a"))
            let b = try #require(category.unitNamed("b"))
            #expect(a.compare(b) == .orderedAscending)
            #expect(b.compare(a) == .orderedDescending)
            #expect(a.compare(a) == .orderedSame)
        }
    }

    @Test("titleWithModifier of a unit with a modifier reads title, a space, and the modifier title in parentheses")
    func titleWithModifierFormat() throws {
        try withTestEnvironment(locale: "de_DE") { _ in
            // The bundled table "Volume" localises "Gallon" and the modifier "imperial".
            let category = QVRTallixUnitCategory(
                dictionary: F.category(
                    "Volume",
                    units: [
                        F.plainUnit("litre"),
                        F.formulaUnit("gallon", to: "X 4.54609 *", title: "Gallon", modifier: "oil"),
                    ]),
                stringsDictionary: nil)
            let gallon = try #require(category.unitNamed("gallon"))
            #expect(gallon.modifier == "oil")
            #expect(gallon.modifierTitle == "Öl")
            #expect(gallon.titleWithModifier == "Gallone (Öl)")
            let litre = try #require(category.unitNamed("litre"))
            #expect(litre.modifierTitle == nil)
            #expect(litre.titleWithModifier == "litre")
        }
    }

    // MARK: - Further behaviour

    @Test("gQVRTallixDataLocale is en_US and reads decimal text with a period")
    func dataLocale() {
        #expect(gQVRTallixDataLocale.identifier == "en_US")
        #expect(gQVRTallixDataDecimalSeparator == ".")
    }

    @Test("description is the name; hasSubUnit is false; isValid is true")
    func descriptionAndFlags() throws {
        try withTestEnvironment { _ in
            let category = QVRTallixUnitCategory(dictionary: F.lengthCategory(), stringsDictionary: nil)
            let metre = try #require(category.unitNamed("metre"))
            #expect(metre.description == "metre")
            #expect(metre.hasSubUnit == false)
            #expect(metre.isValid == true)
            #expect(metre.category === category)
        }
    }

    @Test("the title getter answers the name when no title is set; setters change title, symbol and modifier")
    func settersAndTitleFallback() throws {
        try withTestEnvironment(locale: "de_DE") { _ in
            let category = QVRTallixUnitCategory(
                dictionary: F.category("Volume", units: [F.plainUnit("litre", title: "Litre", symbol: "L")]),
                stringsDictionary: nil)
            let litre = try #require(category.unitNamed("litre"))
            #expect(litre.title == "Liter")
            litre.title = nil
            #expect(litre.title == "litre")
            #expect(litre.titleWithModifier == nil)
            litre.title = "Litre"
            litre.symbol = "ℓ"
            #expect(litre.formatedStringForNumber(F.number("3")) == "3 ℓ")
            litre.modifier = "imperial"
            #expect(litre.modifierTitle == "imperial")
            #expect(litre.titleWithModifier == "Litre (imperial)")
            litre.modifier = nil
            #expect(litre.modifierTitle == nil)
        }
    }

    @Test("formatedStringForNumber:maximumSignificantDigits: limits the digits; formatedStringForNumber: uses 15")
    func formattingDigits() throws {
        try withTestEnvironment { _ in
            let category = QVRTallixUnitCategory(dictionary: F.lengthCategory(), stringsDictionary: nil)
            let metre = try #require(category.unitNamed("metre"))
            let third = F.number("0.333333333333333333333")
            #expect(metre.formatedStringForNumber(third, maximumSignificantDigits: 3) == "0.333 m")
            #expect(metre.formatedStringForNumber(third) == "0.333333333333333 m")
        }
    }

    @Test("modifierImage is none without a modifier and names \"Unit:Modifier:\" followed by the modifier")
    func modifierImage() throws {
        let root = FileManager.default.temporaryDirectory
            .appendingPathComponent("tallix-tests", isDirectory: true)
            .appendingPathComponent(UUID().uuidString, isDirectory: true)
        let resources = root.appendingPathComponent("Resources", isDirectory: true)
        let images = resources.appendingPathComponent("Images", isDirectory: true)
        try FileManager.default.createDirectory(at: images, withIntermediateDirectories: true)
        try FileManager.default.createDirectory(
            at: resources.appendingPathComponent("en.lproj"), withIntermediateDirectories: true)
        try Data([0x89, 0x50, 0x4E, 0x47]).write(to: images.appendingPathComponent("Unit:Modifier:US.png"))
        try Data([0x89, 0x50, 0x4E, 0x47]).write(to: images.appendingPathComponent("Vol:Category.png"))
        let suite = "tallix.tests." + UUID().uuidString
        let environment = QVREnvironment(
            userDefaults: UserDefaults(suiteName: suite),
            userDefaultsSuiteName: suite,
            locale: Locale(identifier: "en_US"),
            applicationSupportURL: root.appendingPathComponent("ApplicationSupport"),
            documentsURL: root.appendingPathComponent("Documents"),
            resourcesURL: resources,
            notificationCenter: NotificationCenter(),
            scheduler: QVRVirtualScheduler(),
            mainDispatcher: QVRImmediateMainDispatcher(),
            logSinks: [QVRMemoryLogSink()])
        defer { environment.tearDownTestingArtifacts() }
        try QVREnvironment.$override.withValue(environment) {
            let category = QVRTallixUnitCategory(
                dictionary: F.category(
                    "Vol",
                    units: [
                        F.plainUnit("l"),
                        F.formulaUnit("us", to: "X 2 *", modifier: "US"),
                        F.formulaUnit("imp", to: "X 3 *", modifier: "imperial"),
                    ]),
                stringsDictionary: nil)
            #expect(category.unitNamed("l")?.modifierImage == nil)
            let image = try #require(category.unitNamed("us")?.modifierImage)
            #expect(image.name == "Unit:Modifier:US")
            #expect(image.url.lastPathComponent == "Unit:Modifier:US.png")
            #expect(category.unitNamed("imp")?.modifierImage == nil)
            #expect(category.imageName == "Vol:Category")
            #expect(category.image?.name == "Vol:Category")
        }
    }

    @Test("an archived unit decodes with its category, name, title, symbol and defaultHidden; hidden is recomputed")
    func archiveRoundTrip() throws {
        try withTestEnvironment { env in
            let category = QVRTallixUnitCategory(
                dictionary: F.category(
                    "Arch",
                    units: [
                        F.plainUnit("base", title: "Base", symbol: "b"),
                        F.formulaUnit("double", to: "X 2 *", title: "Double", symbol: "d", modifier: "x", hidden: true),
                    ],
                    defaultFrom: "base", defaultTo: "double", precision: 3),
                stringsDictionary: nil)
            let unit = try #require(category.unitNamed("double"))
            let records = try F.archivedRecords(unit, className: "QVRTallixFormulaUnit")
            let record = try #require(records.first)
            #expect(
                Set(record.keys) == ["$class", "category", "name", "title", "symbol", "defaultHidden", "toFormula"])

            env.userDefaults.set(false, forKey: "unit.Arch.double.hidden")
            let decoded = try #require(try F.roundTrip(unit) as? QVRTallixFormulaUnit)
            #expect(decoded.name == "double")
            #expect(decoded.title == "Double")
            #expect(decoded.symbol == "d")
            #expect(decoded.defaultHidden == true)
            #expect(decoded.isHidden == false)
            #expect(decoded.modifier == nil)
            let decodedCategory = try #require(decoded.category)
            #expect(decodedCategory !== category)
            #expect(decodedCategory.name == "Arch")
            #expect(decodedCategory.precision == 3)
            #expect(decodedCategory.units.count == 2)
            #expect(decodedCategory.units.contains { $0 === decoded })
            #expect(decodedCategory.unitNamed("base")?.category === decodedCategory)
            #expect(type(of: try #require(decodedCategory.unitNamed("base"))) == QVRTallixUnit.self)
            #expect(
                QVRTallixUnit.convertNumber(
                    F.number("21"), fromUnit: decodedCategory.unitNamed("base"), toUnit: decoded)?
                    .decimalNumber == F.decimal("10.5"))
        }
    }
}
