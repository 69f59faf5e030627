import Foundation

/// One element of an expression (Part 2.1): a number, or one operation.
open class QVRTallixComponent: NSObject, NSCopying, QVRCoding, @unchecked Sendable {
    /// The number; present exactly for a number component (a copy of the number given).
    public let tallixNumber: QVRTallixNumber?
    /// The operation; 100000 (none) for a number component.
    public let operation: QVRTallixOperation

    /// A component holding a copy of `tallixNumber` and the operation none. An absent number
    /// gives a component that holds none and counts as an operation of kind none.
    public required init(tallixNumber: QVRTallixNumber?) {
        self.tallixNumber = tallixNumber?.copy() as? QVRTallixNumber
        self.operation = .none
        super.init()
    }

    /// A component of the operation, holding no number.
    public required init(operation: QVRTallixOperation) {
        self.tallixNumber = nil
        self.operation = operation
        super.init()
    }

    public class func componentWithTallixNumber(_ tallixNumber: QVRTallixNumber?) -> Self {
        Self(tallixNumber: tallixNumber)
    }

    public class func componentWithOperation(_ operation: QVRTallixOperation) -> Self {
        Self(operation: operation)
    }

    // MARK: - Kinds

    public var isOperation: Bool { tallixNumber == nil }
    public var isTallixNumber: Bool { tallixNumber != nil }

    public var isParenthesisOperation: Bool { isOperation && operation.isParenthesis }
    public var isFunctionOperation: Bool { isOperation && operation.isFunction }
    public var isExponentsOperation: Bool { isOperation && operation.isExponents }
    public var isMultiplyDivideOperation: Bool { isOperation && operation.isMultiplyDivide }
    public var isAddSubtractOperation: Bool { isOperation && operation.isAddSubtract }
    public var isTrignometricOperation: Bool { isOperation && operation.isTrignometric }
    public var isDoubleArgumentOperation: Bool { isOperation && operation.isDoubleArgument }

    /// The precedence (0 for a number component).
    public var order: UInt { isOperation ? operation.order : 0 }

    /// "number" for a number component, else the operation's name ("none" for 100000).
    public var name: String? {
        if isTallixNumber { return "number" }
        if operation == .none { return "none" }
        return operation.info?.name
    }

    /// The number's text while typing, or the operation's display text ("" for none).
    public var editString: String? {
        if let tallixNumber { return tallixNumber.editString }
        if operation == .none { return "" }
        return operation.info?.display
    }

    open override var description: String { editString ?? "(null)" }

    /// The spoken label: the number's formatted text, "none", or the operation's localised label.
    public var accessibilityLabel: String? {
        if let tallixNumber { return tallixNumber.formattedString }
        if operation == .none { return "none" }
        guard let label = operation.info?.label else { return nil }
        return QVRLocalization.localizedString(label)
    }

    // MARK: - Identity

    open func copy(with zone: NSZone? = nil) -> Any {
        if let tallixNumber { return type(of: self).init(tallixNumber: tallixNumber) }
        return type(of: self).init(operation: operation)
    }

    /// Same class (or subclass), same operation, and the same number object or a number that the
    /// receiver's number finds equal.
    open override func isEqual(_ object: Any?) -> Bool {
        guard let other = object as? QVRTallixComponent, other.isKind(of: type(of: self)),
            other.operation == operation
        else { return false }
        if tallixNumber === other.tallixNumber { return true }
        guard let mine = tallixNumber else { return false }
        return mine.isEqual(other.tallixNumber)
    }

    open override var hash: Int {
        var hasher = Hasher()
        hasher.combine(operation)
        hasher.combine(isTallixNumber)
        return hasher.finalize()
    }

    /// A list printed as the platform prints an array of components: "(2, +, 3)".
    public static func listDescription(_ list: [QVRTallixComponent]) -> String {
        "(" + list.map(\.description).joined(separator: ", ") + ")"
    }

    // MARK: - Archiving

    open class var archiveClassName: String { "QVRTallixComponent" }

    open func encode(with coder: QVRKeyedArchiver) {
        coder.encode(tallixNumber, forKey: "tallixNumber")
        if tallixNumber == nil {
            coder.encode(Int(clamping: operation.rawValue), forKey: "operation")
        }
    }

    /// Reads "tallixNumber" first; with a number the operation is none whatever the archive
    /// says, otherwise "operation" (0, Percent, when missing). Something under "tallixNumber"
    /// that is no number refuses the component.
    public required init?(coder: QVRKeyedUnarchiver) {
        if coder.containsValue(forKey: "tallixNumber") {
            guard let number = coder.decodeObject(forKey: "tallixNumber") as? QVRTallixNumber else { return nil }
            tallixNumber = number
            operation = .none
        } else {
            tallixNumber = nil
            operation = QVRTallixOperation(rawValue: UInt64(clamping: max(0, coder.decodeInteger(forKey: "operation"))))
        }
        super.init()
    }
}
