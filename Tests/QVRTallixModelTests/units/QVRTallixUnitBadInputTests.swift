import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Parts 5.1 to 5.3: malformed catalogue entries and archives")
struct QVRTallixUnitBadInputTests {
    typealias F = UnitFixtures

    @Test(
        "a \"categories\" value that is no array gives an empty catalogue; entries that are no dictionaries are skipped"
    )
    func malformedCategoriesValue() throws {
        for value: Any in ["Length", 42, ["name": "Length"], Data([1, 2, 3])] {
            withTestEnvironment(configuration: ["categories": value]) { _ in
                #expect(QVRTallixUnitCategory.allCategories.isEmpty)
                #expect(QVRTallixUnitCategory.visibleCategories.isEmpty)
                #expect(QVRTallixUnitCategory.defaultCategory == nil)
            }
        }
        let entries: [Any] = ["Length", 7, [1, 2], F.temperatureCategory()]
        withTestEnvironment(configuration: ["categories": entries]) { _ in
            #expect(QVRTallixUnitCategory.allCategories.map(\.name) == ["Temperature"])
        }
    }

    @Test("category fields of the wrong kind take their fallbacks")
    func malformedCategoryFields() throws {
        let entries: [Any] = [
            [
                "name": 12, "title": ["x"], "units": "metre", "precision": "many", "defaultFromUnitName": 3,
                "defaultToUnitName": false, "hidden": "perhaps", "class": 99,
            ] as [String: Any],
            ["name": "NegativePrecision", "precision": -4, "units": [F.plainUnit("a")]] as [String: Any],
            ["name": "BoolPrecision", "precision": true, "units": [Any]()] as [String: Any],
            ["name": "DoublePrecision", "precision": 2.9, "units": [F.plainUnit("b")]] as [String: Any],
        ]
        try withTestEnvironment(configuration: ["categories": entries]) { _ in
            let all = QVRTallixUnitCategory.allCategories
            #expect(all.count == 4)
            let unnamed = try #require(all.first { $0.name == nil })
            #expect(unnamed.title == "")
            #expect(unnamed.units.isEmpty)
            #expect(unnamed.precision == 0)
            #expect(unnamed.defaultFromUnitName == nil)
            #expect(unnamed.defaultToUnitName == nil)
            #expect(unnamed.defaultFromUnit == nil)
            #expect(unnamed.isHidden)
            #expect(QVRTallixUnitCategory.categoryNamed("NegativePrecision")?.precision == 0)
            #expect(QVRTallixUnitCategory.categoryNamed("BoolPrecision")?.precision == 1)
            #expect(QVRTallixUnitCategory.categoryNamed("DoublePrecision")?.precision == 2)
            #expect(QVRTallixUnitCategory.categoryNamed(nil) == nil)
        }
    }

    @Test("unit entries without a usable class are skipped; other malformed fields take their fallbacks")
    func malformedUnitEntries() throws {
        let units: [Any] = [
            F.plainUnit("base"),
            ["name": "no-class"] as [String: Any],
            ["class": "QVRTallixNoSuchUnit", "name": "unknown-class"] as [String: Any],
            ["class": 5, "name": "numeric-class"] as [String: Any],
            ["class": "QVRTallixUnitCategory", "name": "category-class"] as [String: Any],
            ["class": "QVRTallixCurrencyUnit", "name": "currency-not-yet"] as [String: Any],
            "not a dictionary",
            [
                "class": "QVRTallixFormulaUnit", "name": "odd-fields", "title": 3, "symbol": ["s"],
                "modifier": 1, "hidden": "YES", "to": 1000, "from": ["X"],
            ] as [String: Any],
            ["class": "QVRTallixFormulaUnit", "hidden": 0] as [String: Any],
        ]
        let category = ["name": "Odd", "units": units] as [String: Any]
        try withTestEnvironment(configuration: ["categories": [category]]) { env in
            let odd = try #require(QVRTallixUnitCategory.categoryNamed("Odd"))
            #expect(odd.units.count == 3)
            let fields = try #require(odd.unitNamed("odd-fields") as? QVRTallixFormulaUnit)
            #expect(fields.title == "odd-fields")
            #expect(fields.symbol == "")
            #expect(fields.modifier == nil)
            #expect(fields.defaultHidden == true)
            #expect(fields.toFormula == nil)
            #expect(fields.fromFormula == nil)
            // Without formulas the unit converts everything to zero, without a log line.
            let base = try #require(odd.unitNamed("base"))
            #expect(QVRTallixUnit.convertNumber(F.number("3"), fromUnit: fields, toUnit: base)?.decimalNumber == .zero)
            // A unit without a name: no lookup finds it; its title is the empty string.
            let nameless = try #require(odd.units.first { $0.name == nil })
            #expect(nameless.title == "")
            #expect(nameless.description == "(null) from=(null) to=(null)")
            #expect(nameless.hiddenDefaultsKey == "unit.Odd.(null).hidden")
            #expect(odd.unitNamed(nil) == nil)
            #expect(env.loggedLines.isEmpty)
        }
    }

    @Test("stored visibility values of the wrong kind never trap")
    func malformedStoredVisibility() throws {
        try withTestEnvironment(configuration: ["categories": [F.lengthCategory()]]) { env in
            env.userDefaults.set("garbage", forKey: "unit.TestLength.metre.hidden")
            env.userDefaults.set(Data([0xFF]), forKey: "unit.TestLength.kilometre.hidden")
            env.userDefaults.set(["x"], forKey: "TestLength.DefaultFromUnit")
            env.userDefaults.set(42, forKey: "DefaultCategory")
            let length = try #require(QVRTallixUnitCategory.categoryNamed("TestLength"))
            #expect(length.unitNamed("metre")?.isHidden == false)
            _ = length.unitNamed("kilometre")?.isHidden
            #expect(length.defaultFromUnit != nil)
            #expect(QVRTallixUnitCategory.defaultCategory === length)
        }
    }

    @Test(
        "broken formulas in the catalogue load, and convert to zero (one log line) or not-a-number",
        arguments: [
            ("+", "zero"), ("-", "zero"), ("*", "zero"), ("/", "zero"), ("X +", "zero"), ("X 2 * +", "zero"),
            ("X 0 /", "zero-quiet"), ("0 0 /", "zero-quiet"), ("X abc *", "nan"), ("abc", "nan"), ("", "nan"),
            ("X  *", "nan"), ("1e200", "nan"), ("X 1e127 * 1e127 *", "zero"), ("X 1e-127 * 1e-127 *", "zero"),
        ])
    func brokenFormulas(formula: String, outcome: String) throws {
        let category = F.category("Broken", units: [F.plainUnit("base"), F.formulaUnit("broken", to: formula)])
        try withTestEnvironment(configuration: ["categories": [category]]) { env in
            let broken = try #require(QVRTallixUnitCategory.categoryNamed("Broken"))
            #expect(broken.units.count == 2)
            let unit = try #require(broken.unitNamed("broken"))
            let base = try #require(broken.unitNamed("base"))
            for (from, to) in [(unit, base), (base, unit)] {
                env.memoryLogSink?.removeAll()
                let result = try #require(QVRTallixUnit.convertNumber(F.number("5"), fromUnit: from, toUnit: to))
                switch outcome {
                case "nan":
                    #expect(result.decimalNumber?.isNaN == true, "\(formula)")
                    #expect(env.loggedLines.isEmpty, "\(formula)")
                case "zero-quiet":
                    #expect(result.decimalNumber == .zero, "\(formula)")
                    #expect(env.loggedLines.isEmpty, "\(formula)")
                default:
                    #expect(result.decimalNumber == .zero, "\(formula)")
                    #expect(env.loggedLines.count == 1, "\(formula)")
                    #expect(env.loggedLines.first?.hasPrefix("converting ") == true)
                }
            }
        }
    }

    @Test("corrupt archived units and categories decode to none", arguments: [0, 1, 2, 3, 4, 5, 6, 7, 8, 9])
    func corruptArchives(variant: Int) throws {
        try withTestEnvironment { _ in
            let category = QVRTallixUnitCategory(dictionary: F.lengthCategory(), stringsDictionary: nil)
            let unit = try #require(category.unitNamed("kilometre"))
            let good = try QVRKeyedArchiver.archivedData(withRootObject: unit)
            var plist = try #require(
                try PropertyListSerialization.propertyList(from: good, options: [], format: nil) as? [String: Any])
            var objects = try #require(plist["$objects"] as? [Any])
            let unitIndex = try #require(
                objects.firstIndex { ($0 as? [String: Any])?["toFormula"] != nil })
            let categoryIndex = try #require(
                objects.firstIndex { ($0 as? [String: Any])?["defaultToUnitName"] != nil })
            var unitRecord = try #require(objects[unitIndex] as? [String: Any])
            var categoryRecord = try #require(objects[categoryIndex] as? [String: Any])
            let data: Data
            switch variant {
            case 0, 1:
                break
            case 2:
                unitRecord["name"] = 17
            case 3:
                unitRecord["toFormula"] = ["X"]
            case 4:
                unitRecord.removeValue(forKey: "category")
            case 5:
                unitRecord["category"] = ["$ref": 999]
            case 6:
                unitRecord["defaultHidden"] = "yes"
            case 7:
                categoryRecord["units"] = "metre"
            case 8:
                categoryRecord["precision"] = "seven"
            default:
                unitRecord["category"] = "Length"
            }
            if variant >= 2 {
                objects[unitIndex] = unitRecord
                objects[categoryIndex] = categoryRecord
                plist["$objects"] = objects
                data = try PropertyListSerialization.data(fromPropertyList: plist, format: .binary, options: 0)
            } else {
                data = variant == 0 ? Data("not an archive".utf8) : good.prefix(good.count / 2)
            }
            let decoded = try? QVRKeyedUnarchiver.unarchivedObject(
                ofClasses: QVRTallixUnitClassRegistry.archiveClasses, from: data)
            #expect(decoded as? QVRTallixUnit == nil, "variant \(variant)")
        }
    }

    @Test("an archived unit is refused when its class is not allowed")
    func classNotAllowed() throws {
        try withTestEnvironment { _ in
            let category = QVRTallixUnitCategory(dictionary: F.lengthCategory(), stringsDictionary: nil)
            let unit = try #require(category.unitNamed("kilometre"))
            let data = try QVRKeyedArchiver.archivedData(withRootObject: unit)
            #expect(throws: QVRArchiveError.self) {
                try QVRKeyedUnarchiver.unarchivedObject(ofClasses: [QVRTallixUnit.self], from: data)
            }
            #expect(throws: QVRArchiveError.self) {
                try QVRKeyedUnarchiver.unarchivedObject(ofClasses: [QVRTallixFormulaUnit.self], from: data)
            }
        }
    }

    @Test("random bytes never trap the unit decoder", arguments: 0..<20)
    func randomBytes(seed: Int) throws {
        var generator = SeededRandomNumberGenerator(seed: UInt64(seed + 1))
        try withTestEnvironment { _ in
            let category = QVRTallixUnitCategory(dictionary: F.lengthCategory(), stringsDictionary: nil)
            let unit = try #require(category.unitNamed("kilometre"))
            var data = try QVRKeyedArchiver.archivedData(withRootObject: unit)
            for _ in 0..<4 {
                let index = Int.random(in: 0..<data.count, using: &generator)
                data[index] = UInt8.random(in: 0...255, using: &generator)
            }
            let decoded = try? QVRKeyedUnarchiver.unarchivedObject(
                ofClasses: QVRTallixUnitClassRegistry.archiveClasses, from: data)
            if let decoded = decoded as? QVRTallixUnit {
                _ = QVRTallixUnit.convertNumber(F.number("1"), fromUnit: decoded, toUnit: decoded)
                _ = decoded.category?.description
            }
        }
    }
}
