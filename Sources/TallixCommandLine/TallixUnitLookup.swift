import Foundation
import QVRTallixModel

/// How `tallix convert` and `tallix units` find categories and units from what the user typed.
///
/// A unit is named, in this order of preference within its category:
/// 1. by its name exactly ("meter", "gallon-us": the catalogue's identifiers);
/// 2. by its symbol exactly, case included ("Mbit" is the megabit, "MB" the megabyte);
/// 3. by its name, symbol, title or title with modifier, ignoring case ("Meter", "gallon (us)").
/// The first of these steps that finds anything decides; when it finds more than one unit of the
/// category ("gallon" is the US and the imperial gallon), the text is ambiguous there.
///
/// A category is named by its name or its title, ignoring case ("Temperature", "data storage").
enum TallixUnitLookup {
    /// What a text names inside one category.
    enum Match {
        case none
        case unit(QVRTallixUnit)
        case ambiguous([QVRTallixUnit])
    }

    /// The unit that `text` names in `category` (see the type's rules).
    static func match(_ text: String, in category: QVRTallixUnitCategory) -> Match {
        let units = category.units
        let tiers: [(QVRTallixUnit) -> Bool] = [
            { $0.name == text },
            { $0.symbol == text },
            { unit in
                [unit.name, unit.symbol, unit.title, unit.titleWithModifier].contains { candidate in
                    guard let candidate else { return false }
                    return candidate.compare(text, options: .caseInsensitive) == .orderedSame
                }
            },
        ]
        for tier in tiers {
            let found = units.filter(tier)
            if found.count == 1, let unit = found.first { return .unit(unit) }
            if found.count > 1 { return .ambiguous(found) }
        }
        return .none
    }

    /// The category named `text` (name or title, ignoring case), or none.
    static func category(named text: String) -> QVRTallixUnitCategory? {
        let categories = QVRTallixUnitCategory.allCategories
        if let exact = categories.first(where: { $0.name == text }) { return exact }
        return categories.first { category in
            [category.name, category.title].contains { candidate in
                guard let candidate else { return false }
                return candidate.compare(text, options: .caseInsensitive) == .orderedSame
            }
        }
    }

    /// The names of the categories, for messages.
    static func categoryNames() -> String {
        QVRTallixUnitCategory.allCategories.compactMap(\.name).joined(separator: ", ")
    }

    /// "gallon-us (US gal)": a unit's name and symbol, for messages.
    static func label(_ unit: QVRTallixUnit) -> String {
        unit.symbol.isEmpty ? (unit.name ?? "?") : "\(unit.name ?? "?") (\(unit.symbol))"
    }

    /// Pads the columns of `rows` to their widest cell, two spaces apart; the last column and
    /// trailing blanks are not padded.
    static func table(_ rows: [[String]]) -> String {
        let columnCount = rows.map(\.count).max() ?? 0
        var widths = Array(repeating: 0, count: columnCount)
        for row in rows {
            for (index, cell) in row.enumerated() {
                widths[index] = max(widths[index], cell.count)
            }
        }
        var text = ""
        for row in rows {
            var line = ""
            for (index, cell) in row.enumerated() {
                line += cell
                if index < row.count - 1 {
                    line += String(repeating: " ", count: widths[index] - cell.count + 2)
                }
            }
            while line.hasSuffix(" ") { line.removeLast() }
            text += line + "\n"
        }
        return text
    }
}
