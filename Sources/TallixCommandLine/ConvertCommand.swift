import Foundation
import QVRTallixModel

/// `tallix convert VALUE FROM TO [--category NAME]`: converts a value between two units of the
/// catalogue (Parts 5.1 to 5.3) and prints the result formatted by the target unit.
public enum ConvertCommand: TallixCommand {
    public static let name = "convert"
    public static let summary = "convert a value from one unit to another"
    public static let usage = """
        usage: tallix convert VALUE FROM TO [--category NAME]

        Converts VALUE from the unit FROM to the unit TO and prints the result with the
        target unit's symbol (for example: tallix convert 100 °C °F prints "212 °F").

        VALUE is read in your locale (LC_ALL, LC_NUMERIC, LANG): its decimal separator, its
        grouping separator between groups of three digits, and a leading minus sign ("-40",
        "1,234.5"; "1.234,5" and "1,5" in German).

        FROM and TO name a unit of one category, in this order of preference:
          1. its name exactly, as 'tallix units CATEGORY' lists it ("meter", "gallon-us");
          2. its symbol exactly, case included ("Mbit" is the megabit, "MB" the megabyte);
          3. its name, symbol, title or title with modifier, ignoring case ("Gallon (US)").
        When the two units fit more than one category, choose one with --category.

        Options:
          --category NAME   look for the units in this category only (name or title)
          -h, --help        show this help

        Exit status: 0 done; 2 bad usage, a value that is no number, or a unit or category
        that is unknown or ambiguous.

        """

    @MainActor public static func run(_ arguments: [String], io: TallixIO) -> Int32 {
        var positional: [String] = []
        var categoryName: String?
        var index = 0
        while index < arguments.count {
            let argument = arguments[index]
            index += 1
            if argument == "--help" || argument == "-h" {
                io.write(usage)
                return TallixExitCode.success
            } else if argument == "--category" {
                guard index < arguments.count else {
                    return usageError("--category needs a category name", io: io)
                }
                categoryName = arguments[index]
                index += 1
            } else if argument.hasPrefix("--category=") {
                categoryName = String(argument.dropFirst("--category=".count))
            } else if argument.hasPrefix("-"), argument.count > 1, !looksLikeNumber(argument) {
                return usageError("unknown option '\(argument)'", io: io)
            } else {
                positional.append(argument)
            }
        }
        guard positional.count == 3 else {
            return usageError(
                "expected VALUE FROM TO, got \(positional.count) argument\(positional.count == 1 ? "" : "s")", io: io)
        }
        let valueText = positional[0]
        let fromText = positional[1]
        let toText = positional[2]

        let locale = QVRUserLocale.current
        let parser = QVRTallixNumberFormatter(locale: locale)
        parser.numberStyle = .decimal
        guard isGroupedInThrees(valueText, grouping: parser.groupingSeparator, decimal: parser.decimalSeparator),
            let value = try? parser.parsedNumber(from: valueText)
        else {
            return failure("'\(valueText)' is not a number in the locale \(locale.identifier)", io: io)
        }

        var categories = QVRTallixUnitCategory.allCategories
        if let categoryName {
            guard let category = TallixUnitLookup.category(named: categoryName) else {
                return failure(
                    "unknown category '\(categoryName)'; the categories are: \(TallixUnitLookup.categoryNames())",
                    io: io)
            }
            categories = [category]
        }

        switch resolve(fromText, toText, in: categories, restricted: categoryName != nil) {
        case .failure(let lookupFailure):
            return failure(lookupFailure.message, io: io)
        case .success(let units):
            let number = QVRTallixNumber(number: value)
            let result =
                QVRTallixUnit.convertNumber(number, fromUnit: units.from, toUnit: units.to)
                ?? QVRTallixNumber(number: .zero)
            io.write(units.to.formatedStringForNumber(result) + "\n")
            return TallixExitCode.success
        }
    }

    /// Whether the grouping separators of `text`, if any, stand between groups of three digits
    /// ("1,234.5" in English, "1.234,5" in German), so that "1.5" typed in German is refused
    /// rather than read as 15.
    static func isGroupedInThrees(_ text: String, grouping: String, decimal: String) -> Bool {
        guard !grouping.isEmpty, !grouping.contains(where: \.isWhitespace) else { return true }
        var integerPart = Substring(text)
        if !decimal.isEmpty, let range = text.range(of: decimal) {
            integerPart = text[..<range.lowerBound]
        }
        let groups = integerPart.components(separatedBy: grouping)
        guard groups.count > 1 else { return true }
        let digits = groups.map { $0.filter(\.isNumber) }
        guard let first = digits.first, (1...3).contains(first.count) else { return false }
        return digits.dropFirst().allSatisfy { $0.count == 3 }
    }

    /// Whether an argument that starts with "-" is a negative value rather than an option.
    private static func looksLikeNumber(_ argument: String) -> Bool {
        let rest = argument.dropFirst()
        guard let first = rest.first else { return false }
        return first.isNumber || first == "." || first == ","
    }

    private struct Resolved {
        let from: QVRTallixUnit
        let to: QVRTallixUnit
    }

    private struct LookupFailure: Error {
        let message: String
    }

    /// The two units, from the one category in which both texts name a unit.
    private static func resolve(
        _ fromText: String, _ toText: String, in categories: [QVRTallixUnitCategory], restricted: Bool
    ) -> Result<Resolved, LookupFailure> {
        var candidates: [(category: QVRTallixUnitCategory, units: Resolved)] = []
        var fromCategories: [QVRTallixUnitCategory] = []
        var toCategories: [QVRTallixUnitCategory] = []
        var ambiguities: [String] = []
        for category in categories {
            let fromMatch = TallixUnitLookup.match(fromText, in: category)
            let toMatch = TallixUnitLookup.match(toText, in: category)
            if case .none = fromMatch {} else { fromCategories.append(category) }
            if case .none = toMatch {} else { toCategories.append(category) }
            for (text, match) in [(fromText, fromMatch), (toText, toMatch)] {
                if case .ambiguous(let units) = match {
                    let names = units.map(TallixUnitLookup.label).joined(separator: ", ")
                    ambiguities.append("'\(text)' is ambiguous in \(category.name ?? "?"): it names \(names)")
                }
            }
            if case .unit(let from) = fromMatch, case .unit(let to) = toMatch {
                candidates.append((category, Resolved(from: from, to: to)))
            }
        }
        if candidates.count == 1, let only = candidates.first {
            return .success(only.units)
        }
        if candidates.count > 1 {
            let names = candidates.compactMap(\.category.name).joined(separator: ", ")
            return .failure(
                LookupFailure(
                    message:
                        "'\(fromText)' and '\(toText)' name units of several categories (\(names)); choose one with --category NAME"
                ))
        }
        let scope = restricted ? " in the category \(categories.first?.name ?? "?")" : ""
        if fromCategories.isEmpty {
            return .failure(
                LookupFailure(message: "unknown unit '\(fromText)'\(scope); 'tallix units CATEGORY' lists the units"))
        }
        if toCategories.isEmpty {
            return .failure(
                LookupFailure(message: "unknown unit '\(toText)'\(scope); 'tallix units CATEGORY' lists the units"))
        }
        if let ambiguity = ambiguities.first {
            return .failure(LookupFailure(message: ambiguity + "; use the unit's name or symbol"))
        }
        let fromNames = fromCategories.compactMap(\.name).joined(separator: ", ")
        let toNames = toCategories.compactMap(\.name).joined(separator: ", ")
        return .failure(
            LookupFailure(
                message:
                    "'\(fromText)' (\(fromNames)) and '\(toText)' (\(toNames)) are not units of one category"))
    }

    private static func usageError(_ message: String, io: TallixIO) -> Int32 {
        io.writeError("tallix convert: \(message)\nusage: tallix convert VALUE FROM TO [--category NAME]\n")
        return TallixExitCode.usage
    }

    private static func failure(_ message: String, io: TallixIO) -> Int32 {
        io.writeError("tallix convert: \(message)\n")
        return TallixExitCode.usage
    }
}
