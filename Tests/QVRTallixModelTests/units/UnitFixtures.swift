import Foundation

@testable import QVRTallixModel

/// Catalogue entries and values for the unit tests (Parts 5.1 to 5.3).
enum UnitFixtures {
    static func decimal(_ text: String) -> QVRTallixDecimal {
        QVRTallixDecimal(string: text) ?? .nan
    }

    static func number(_ text: String) -> QVRTallixNumber {
        QVRTallixNumber(number: decimal(text))
    }

    /// A plain (base) unit entry.
    static func plainUnit(_ name: String, title: String? = nil, symbol: String? = nil, hidden: Bool? = nil)
        -> [String: Any]
    {
        var entry: [String: Any] = ["class": "QVRTallixUnit", "name": name]
        if let title { entry["title"] = title }
        if let symbol { entry["symbol"] = symbol }
        if let hidden { entry["hidden"] = hidden }
        return entry
    }

    /// A formula unit entry.
    static func formulaUnit(
        _ name: String, to: String?, from: String? = nil, title: String? = nil, symbol: String? = nil,
        modifier: String? = nil, hidden: Bool? = nil
    ) -> [String: Any] {
        var entry: [String: Any] = ["class": "QVRTallixFormulaUnit", "name": name]
        if let to { entry["to"] = to }
        if let from { entry["from"] = from }
        if let title { entry["title"] = title }
        if let symbol { entry["symbol"] = symbol }
        if let modifier { entry["modifier"] = modifier }
        if let hidden { entry["hidden"] = hidden }
        return entry
    }

    /// A category entry.
    static func category(
        _ name: String, units: [[String: Any]], title: String? = nil, className: String? = nil,
        defaultFrom: String? = nil, defaultTo: String? = nil, precision: Int? = nil
    ) -> [String: Any] {
        var entry: [String: Any] = ["name": name, "units": units]
        if let title { entry["title"] = title }
        if let className { entry["class"] = className }
        if let defaultFrom { entry["defaultFromUnitName"] = defaultFrom }
        if let defaultTo { entry["defaultToUnitName"] = defaultTo }
        if let precision { entry["precision"] = precision }
        return entry
    }

    /// A small length category: metre (base), kilometre ("X 1000 *"), centimetre ("X 0.01 *").
    static func lengthCategory(hiddenKilometre: Bool? = nil) -> [String: Any] {
        category(
            "TestLength",
            units: [
                formulaUnit("kilometre", to: "X 1000 *", symbol: "km", hidden: hiddenKilometre),
                plainUnit("metre", symbol: "m"),
                formulaUnit("centimetre", to: "X 0.01 *", symbol: "cm"),
            ],
            defaultFrom: "metre", defaultTo: "kilometre")
    }

    /// A small temperature category named "Temperature": kelvin (base), celsius and fahrenheit.
    static func temperatureCategory(allHidden: Bool = false) -> [String: Any] {
        category(
            "Temperature",
            units: [
                plainUnit("kelvin", symbol: "K", hidden: allHidden),
                formulaUnit("celsius", to: "X 273.15 +", from: "X 273.15 -", symbol: "°C", hidden: allHidden),
                formulaUnit(
                    "fahrenheit", to: "X 459.67 + 5 * 9 /", from: "X 9 * 5 / 459.67 -", symbol: "°F",
                    hidden: allHidden),
            ],
            defaultFrom: "celsius", defaultTo: "fahrenheit")
    }

    /// Archives `object` and decodes it again with the unit classes allowed.
    static func roundTrip(_ object: Any) throws -> Any? {
        let data = try QVRKeyedArchiver.archivedData(withRootObject: object)
        return try QVRKeyedUnarchiver.unarchivedObject(ofClasses: QVRTallixUnitClassRegistry.archiveClasses, from: data)
    }

    /// The property list of an archive, to read the keys that were written.
    static func archivePropertyList(_ object: Any) throws -> [String: Any] {
        let data = try QVRKeyedArchiver.archivedData(withRootObject: object)
        let plist = try PropertyListSerialization.propertyList(from: data, options: [], format: nil)
        return plist as? [String: Any] ?? [:]
    }

    /// The archived records (objects with a "$class") whose class is named `className`.
    static func archivedRecords(_ object: Any, className: String) throws -> [[String: Any]] {
        let plist = try archivePropertyList(object)
        let objects = plist["$objects"] as? [Any] ?? []
        var classIndices: Set<Int> = []
        for (index, item) in objects.enumerated() {
            if let record = item as? [String: Any], record["$classname"] as? String == className {
                classIndices.insert(index)
            }
        }
        return objects.compactMap { item -> [String: Any]? in
            guard let record = item as? [String: Any], let reference = record["$class"] as? [String: Any],
                let index = reference["$ref"] as? Int, classIndices.contains(index)
            else { return nil }
            return record
        }
    }
}
