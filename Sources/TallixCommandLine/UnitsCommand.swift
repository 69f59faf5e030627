import Foundation
import QVRTallixModel

/// `tallix units [CATEGORY]`: lists the unit categories of the catalogue (Part 5.2), or the
/// units of one category.
public enum UnitsCommand: TallixCommand {
    public static let name = "units"
    public static let summary = "list the unit categories, or the units of one category"
    public static let usage = """
        usage: tallix units [CATEGORY]

        Without CATEGORY, lists the unit categories by title: name, title and number of units.
        With CATEGORY (its name or title, ignoring case), lists its units from the smallest to
        the largest: name, symbol and title; the notes mark the base unit, through which every
        conversion passes, and the units hidden from the calculator's unit menus.

        Options:
          -h, --help   show this help

        Exit status: 0 done; 2 bad usage or an unknown category.

        """

    @MainActor public static func run(_ arguments: [String], io: TallixIO) -> Int32 {
        if arguments.contains("--help") || arguments.contains("-h") {
            io.write(usage)
            return TallixExitCode.success
        }
        if let option = arguments.first(where: { $0.hasPrefix("-") }) {
            io.writeError("tallix units: unknown option '\(option)'\nusage: tallix units [CATEGORY]\n")
            return TallixExitCode.usage
        }
        guard arguments.count <= 1 else {
            io.writeError("tallix units: expected at most one CATEGORY\nusage: tallix units [CATEGORY]\n")
            return TallixExitCode.usage
        }
        guard let categoryText = arguments.first else {
            io.write(listCategories())
            return TallixExitCode.success
        }
        guard let category = TallixUnitLookup.category(named: categoryText) else {
            io.writeError(
                "tallix units: unknown category '\(categoryText)'; the categories are: \(TallixUnitLookup.categoryNames())\n"
            )
            return TallixExitCode.usage
        }
        io.write(listUnits(of: category))
        return TallixExitCode.success
    }

    private static func listCategories() -> String {
        var rows = [["NAME", "TITLE", "UNITS"]]
        for category in QVRTallixUnitCategory.allCategories {
            rows.append([category.name ?? "", category.title ?? "", String(category.units.count)])
        }
        return TallixUnitLookup.table(rows)
    }

    private static func listUnits(of category: QVRTallixUnitCategory) -> String {
        let units = category.units
        let baseUnits = units.filter { type(of: $0) == QVRTallixUnit.self }
        var heading = "\(category.title ?? category.name ?? ""): \(units.count) unit\(units.count == 1 ? "" : "s")"
        if let base = baseUnits.first, let baseName = base.name {
            heading += ", base unit \(baseName)"
        }
        var rows = [["NAME", "SYMBOL", "TITLE", "NOTES"]]
        for unit in units {
            var notes: [String] = []
            if baseUnits.contains(where: { $0 === unit }) { notes.append("base") }
            if unit.isHidden { notes.append("hidden") }
            rows.append([unit.name ?? "", unit.symbol, unit.titleWithModifier ?? "", notes.joined(separator: ", ")])
        }
        return heading + "\n" + TallixUnitLookup.table(rows)
    }
}
