import Foundation

/// Posted with the expression as object whenever the expression is marked dirty (Part 2.3).
public let QVRTallixExpressionDidChange = Notification.Name("QVRTallixExpressionDidChange")

/// The calculation that the user builds key by key (Part 2.3): a list of components with an
/// angle mode, a cached result, a change flag and an identity.
///
/// An expression is used on one thread, the main thread, as the spec says; it is not `Sendable`.
open class QVRTallixExpression: NSObject, NSCopying, QVRCoding {
    /// The live list (Part 2.3); read from outside as a snapshot through `components`.
    var mutableComponents: [QVRTallixComponent]
    /// Angle unit of the trigonometric functions: true radians, false degrees.
    public private(set) var radMode: Bool
    /// The result cache (Part 2.2), emptied by `setDirty(true)`.
    var cachedResult: QVRTallixNumber?
    /// Changed since the last save.
    public private(set) var isDirty: Bool
    /// The identity of the expression: a new unique identifier made with the expression (drawn
    /// when first read, so that expressions that are never compared or stored do not pay for it).
    public private(set) lazy var uuid: String = String.uuid()
    /// A range that callers store and read back; not archived.
    public var selectedRange = NSRange(location: 0, length: 0)

    /// Stores the range (plain field access, no side effect).
    public func setSelectedRange(_ range: NSRange) {
        selectedRange = range
    }

    /// The class's coding version.
    open class var version: Int { 2 }

    /// One plain zero component, a new identifier, dirty, degrees.
    public override init() {
        mutableComponents = [QVRTallixComponent(tallixNumber: QVRTallixNumber())]
        radMode = false
        isDirty = true
        super.init()
    }

    /// As `init`, then the list holds one component of the number.
    public convenience init(tallixNumber: QVRTallixNumber) {
        self.init()
        mutableComponents = [QVRTallixComponent(tallixNumber: tallixNumber)]
    }

    /// As `init`, then the list holds the given components (the same objects).
    public required convenience init(components: [QVRTallixComponent]) {
        self.init()
        mutableComponents = components
    }

    /// A snapshot of the component list.
    public var components: [QVRTallixComponent] { mutableComponents }

    // MARK: - The end of the list

    /// The number of the last component when it holds one.
    public var currentNumber: QVRTallixNumber? { mutableComponents.last?.tallixNumber }

    /// The number being typed: `currentNumber` when it is editable.
    public var currentEditableNumber: QVRTallixEditableNumber? { currentNumber as? QVRTallixEditableNumber }

    /// The last component's operation (none for a number).
    public var currentOperation: QVRTallixOperation { mutableComponents.last?.operation ?? .none }

    /// Whether any component is a circular function or its inverse.
    public var hasTrignometricFunctions: Bool { mutableComponents.contains { $0.isTrignometricOperation } }

    // MARK: - Change flag and angle mode

    /// Stores the flag; true also empties the result cache and posts the change notification.
    public func setDirty(_ dirty: Bool) {
        isDirty = dirty
        if dirty {
            cachedResult = nil
            QVREnvironment.current.notificationCenter.post(name: QVRTallixExpressionDidChange, object: self)
        }
    }

    /// Clears the flag without a notification (archiving).
    func clearDirtyDirectly() {
        isDirty = false
    }

    /// Stores the angle mode and marks the expression dirty, only when it changes.
    public func setRadMode(_ radMode: Bool) {
        guard radMode != self.radMode else { return }
        self.radMode = radMode
        setDirty(true)
    }

    // MARK: - Identity

    /// Equal exactly when the other object is an expression of this class (or a subclass) with
    /// the same identifier; the components play no part.
    open override func isEqual(_ object: Any?) -> Bool {
        guard let other = object as? QVRTallixExpression, other.isKind(of: type(of: self)) else { return false }
        return other.uuid == uuid
    }

    open override var hash: Int { uuid.hashValue }

    // MARK: - Archiving (Part 2.4)

    open class var archiveClassName: String { "QVRTallixExpression" }

    /// The classes an expression archive may name.
    public static var archiveClasses: [any QVRCoding.Type] {
        [
            QVRTallixExpression.self, QVRTallixComponent.self, QVRTallixNumber.self, QVRTallixEditableNumber.self,
        ]
    }

    /// Writes "components", "radMode" and "uuid", then clears the change flag (no notification).
    open func encode(with coder: QVRKeyedArchiver) {
        coder.encode(mutableComponents, forKey: "components")
        coder.encode(radMode, forKey: "radMode")
        coder.encode(uuid, forKey: "uuid")
        clearDirtyDirectly()
    }

    /// Reads an archived expression (Part 2.4, Algorithms): a missing "components" entry gives one
    /// blank editable number, a missing "uuid" a new identifier, a missing "radMode" degrees;
    /// a list of plain elements (numbers and operation values) is converted into components.
    public required init?(coder: QVRKeyedUnarchiver) {
        radMode = coder.decodeBool(forKey: "radMode")
        let decodedUUID = coder.decodeString(forKey: "uuid")
        isDirty = false
        mutableComponents = []
        let decoded = coder.decodeObject(forKey: "components")
        super.init()
        if let decodedUUID { uuid = decodedUUID }
        guard let elements = decoded as? [Any] else {
            if decoded != nil { return nil }
            clearExpression()
            return
        }
        mutableComponents = Self.components(fromArchivedElements: elements)
    }

    /// Components from an archived list: kept as they are when the last element is a component
    /// (anything else in such a list is left out); otherwise each number becomes a number
    /// component and every other element an operation read as an unsigned 32-bit integer.
    static func components(fromArchivedElements elements: [Any]) -> [QVRTallixComponent] {
        if elements.last is QVRTallixComponent {
            return elements.compactMap { $0 as? QVRTallixComponent }
        }
        return elements.map { element in
            switch element {
            case let component as QVRTallixComponent:
                return component
            case let number as QVRTallixNumber:
                return QVRTallixComponent.componentWithTallixNumber(number)
            default:
                return QVRTallixComponent.componentWithOperation(
                    QVRTallixOperation(rawValue: UInt64(unsigned32BitValue(of: element))))
            }
        }
    }

    /// The element read as an unsigned 32-bit integer (as the platform's `unsignedIntValue`).
    private static func unsigned32BitValue(of element: Any) -> UInt32 {
        if QVRKeyedUnarchiver.isBoolean(element) { return (element as? Bool) == true ? 1 : 0 }
        switch element {
        case let number as Int: return UInt32(truncatingIfNeeded: number)
        case let number as Double:
            guard number.isFinite, abs(number) < 9.0e18 else { return 0 }
            return UInt32(truncatingIfNeeded: Int64(number))
        case let text as String: return UInt32(truncatingIfNeeded: Int(text) ?? 0)
        default: return 0
        }
    }

    // MARK: - Copying (Part 2.4)

    /// A new expression of the receiver's class with copies of the components and the same angle
    /// mode, but a new identifier; it is dirty.
    open func copy(with zone: NSZone? = nil) -> Any {
        let copied = mutableComponents.compactMap { $0.copy() as? QVRTallixComponent }
        let expression = type(of: self).init(components: copied)
        expression.setRadMode(radMode)
        return expression
    }

    /// "uuid: stringDescription".
    open override var description: String {
        "\(uuid): \(stringDescription)"
    }
}
