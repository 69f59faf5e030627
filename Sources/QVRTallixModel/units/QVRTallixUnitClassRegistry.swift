import Foundation

/// The unit and category classes that the catalogue's "class" values name (Parts 5.1, 5.2):
/// Swift has no lookup of a class by its name, so each class is registered under its
/// `archiveClassName`, the spec's class name.
///
/// Built in: "QVRTallixUnit", "QVRTallixFormulaUnit", "QVRTallixUnitCategory" and
/// "QVRTallixCurrencyUnitCategory". The currency unit of Part 5.4 registers itself with
/// ``registerUnitClass(_:)``; until it does, catalogue entries naming it are skipped like any
/// entry whose class names no class.
public enum QVRTallixUnitClassRegistry {
    private static let unitClasses = QVRLockedValue<[String: QVRTallixUnit.Type]>([
        QVRTallixUnit.archiveClassName: QVRTallixUnit.self,
        QVRTallixFormulaUnit.archiveClassName: QVRTallixFormulaUnit.self,
    ])

    private static let categoryClasses = QVRLockedValue<[String: QVRTallixUnitCategory.Type]>([
        QVRTallixUnitCategory.archiveClassName: QVRTallixUnitCategory.self,
        QVRTallixCurrencyUnitCategory.archiveClassName: QVRTallixCurrencyUnitCategory.self,
    ])

    /// Makes `unitClass` known under its `archiveClassName`.
    public static func registerUnitClass(_ unitClass: QVRTallixUnit.Type) {
        unitClasses.withLock { $0[unitClass.archiveClassName] = unitClass }
    }

    /// Makes `categoryClass` known under its `archiveClassName`.
    public static func registerCategoryClass(_ categoryClass: QVRTallixUnitCategory.Type) {
        categoryClasses.withLock { $0[categoryClass.archiveClassName] = categoryClass }
    }

    /// The unit class that a catalogue's "class" value names, or none (also for a value that is
    /// no text).
    public static func unitClass(named name: Any?) -> QVRTallixUnit.Type? {
        guard let name = name as? String else { return nil }
        return unitClasses.withLock { $0[name] }
    }

    /// The category class that a catalogue's "class" value names, or none.
    public static func categoryClass(named name: Any?) -> QVRTallixUnitCategory.Type? {
        guard let name = name as? String else { return nil }
        return categoryClasses.withLock { $0[name] }
    }

    /// Every registered unit and category class: the classes allowed in an archive of units.
    public static var archiveClasses: [any QVRCoding.Type] {
        let units: [any QVRCoding.Type] = unitClasses.withLock { Array($0.values) }
        let categories: [any QVRCoding.Type] = categoryClasses.withLock { Array($0.values) }
        return units + categories
    }
}
