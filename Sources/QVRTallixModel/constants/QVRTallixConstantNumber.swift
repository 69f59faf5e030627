import Foundation

/// A number with a title that the user can insert (Part 4.1): the base of the built-in and the
/// custom constants, ordered by title.
open class QVRTallixConstantNumber: QVRTallixNumber, @unchecked Sendable {
    /// The name shown to the user.
    public var title: String

    public required init(number: QVRTallixDecimal?) {
        title = ""
        super.init(number: number)
    }

    /// A constant holding `value` (absent: no value) with a title.
    init(value: QVRTallixDecimal?, title: String) {
        self.title = title
        super.init(settingDecimalNumber: value)
    }

    public func setTitle(_ title: String) {
        self.title = title
    }

    /// All constants the user can choose from: the built-in ones, then the custom ones, sorted by
    /// title. The custom constants of Part 4.2 come with the cloud documents; until then the list
    /// holds the built-in ones.
    public class func constants() -> [QVRTallixConstantNumber] {
        sortedByTitle(QVRTallixGlobalConstantNumber.constants())
    }

    /// The same with only the shown built-in constants (custom constants are always visible).
    public class func visibleConstants() -> [QVRTallixConstantNumber] {
        sortedByTitle(QVRTallixGlobalConstantNumber.visibleConstants())
    }

    static func sortedByTitle(_ list: [QVRTallixConstantNumber]) -> [QVRTallixConstantNumber] {
        list.sorted { $0.compare($1) == .orderedAscending }
    }

    /// Constants order by title, compared in the user's locale; against a number that is no
    /// constant the values are compared.
    open override func compare(_ other: QVRTallixNumber) -> QVRComparisonResult {
        guard let other = other as? QVRTallixConstantNumber else { return super.compare(other) }
        return title.compare(other.title, options: [], range: nil, locale: QVRUserLocale.current)
    }

    // MARK: - Archiving

    open override class var archiveClassName: String { "QVRTallixConstantNumber" }

    open override func encode(with coder: QVRKeyedArchiver) {
        super.encode(with: coder)
        coder.encode(title, forKey: "title")
    }

    public required init?(coder: QVRKeyedUnarchiver) {
        title = coder.decodeString(forKey: "title") ?? ""
        super.init(coder: coder)
    }
}
