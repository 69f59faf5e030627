import Foundation

/// Posted with no object when a configuration change changed the built-in constants (Part 4.1).
public let QVRTallixGlobalConstantsDidChangeNotification = Notification.Name(
    "QVRTallixGlobalConstantsDidChangeNotification")

/// A built-in constant, from the configuration's "constants" list (Part 4.1); the user can hide it.
open class QVRTallixGlobalConstantNumber: QVRTallixConstantNumber, @unchecked Sendable {
    /// The constant's identifier in the configuration, also the key of its title.
    public let name: String
    /// Whether the user has hidden the constant from the visible list.
    public private(set) var isHidden: Bool

    public required init(number: QVRTallixDecimal?) {
        name = ""
        isHidden = false
        super.init(number: number)
    }

    /// A constant from one configuration entry; none (and one log line) when the value is neither
    /// text nor a number.
    public init?(dictionary: [String: Any]) {
        let name = dictionary["name"] as? String ?? ""
        let title = QVRLocalization.localizedString(name, table: "Constants")
        let defaults = QVREnvironment.current.userDefaults
        let key = Self.hiddenDefaultsKey(name)
        let hidden: Bool
        if defaults.object(forKey: key) != nil {
            hidden = defaults.bool(forKey: key)
        } else {
            hidden = (dictionary["hidden"] as? NSNumber)?.boolValue ?? false
        }
        let rawValue = dictionary["value"]
        let value: QVRTallixDecimal
        if let text = rawValue as? String {
            value = QVRTallixDecimal(string: text, decimalSeparator: ".") ?? .nan
        } else if let rawValue, !QVRKeyedUnarchiver.isBoolean(rawValue), let number = rawValue as? NSNumber {
            value = QVRTallixDecimal(double: number.doubleValue)
        } else {
            Self.logUnhandled(rawValue)
            return nil
        }
        self.name = name
        self.isHidden = hidden
        super.init(value: value, title: title)
    }

    public required init?(coder: QVRKeyedUnarchiver) {
        name = ""
        isHidden = false
        super.init(coder: coder)
    }

    private static func logUnhandled(_ value: Any?) {
        let className = value.map { String(describing: type(of: $0)) } ?? "nil"
        let text = value.map { String(describing: $0) } ?? "(null)"
        QVRLogger.logFormat("Unhandled value class \(className):\(text)")
    }

    /// "global.<name>.hidden".
    static func hiddenDefaultsKey(_ name: String) -> String {
        "global.\(name).hidden"
    }

    /// Hides or shows the constant; a change is stored in the user defaults (no notification).
    public func setHidden(_ hidden: Bool) {
        guard hidden != isHidden else { return }
        isHidden = hidden
        QVREnvironment.current.userDefaults.set(hidden, forKey: Self.hiddenDefaultsKey(name))
    }

    /// "Pi:0 3.14159…": the name, the hidden flag as 0 or 1, and the value.
    open override var description: String {
        "\(name):\(isHidden ? 1 : 0) \(decimalNumber?.description ?? "(null)")"
    }

    open override class var archiveClassName: String { "QVRTallixGlobalConstantNumber" }

    // MARK: - The shared list

    /// The built-in constants, sorted by title (built on first use, rebuilt on configuration changes).
    open override class func constants() -> [QVRTallixConstantNumber] {
        QVRTallixGlobalConstantList.shared.constants
    }

    /// The built-in constants that are not hidden, in the order of `constants`.
    open override class func visibleConstants() -> [QVRTallixConstantNumber] {
        constants().filter { ($0 as? QVRTallixGlobalConstantNumber)?.isHidden != true }
    }

    /// The first built-in constant whose name is exactly `name`.
    public class func constantNamed(_ name: String) -> QVRTallixGlobalConstantNumber? {
        constants().lazy.compactMap { $0 as? QVRTallixGlobalConstantNumber }.first { $0.name == name }
    }
}
