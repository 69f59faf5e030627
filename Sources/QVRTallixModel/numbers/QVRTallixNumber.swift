import Foundation

/// The number of significant digits with which a unit formats an amount (Part 5.1).
public let QVRTallixNumberMaximumSignificantDigits: UInt = 15

/// The decimal number value of the calculator (Part 1.1): immutable, shared freely, with the four
/// operations that never fail towards the caller (a failed decimal operation is retried in double
/// precision, and a result that is not finite becomes not-a-number).
open class QVRTallixNumber: NSObject, NSCopying, QVRCoding, @unchecked Sendable {
    /// The stored value; set only while the number is made.
    let storedDecimalNumber: QVRTallixDecimal?

    /// A number with no value.
    public override init() {
        storedDecimalNumber = nil
        super.init()
    }

    /// A number holding `number`; an absent argument gives the decimal zero.
    public required init(number: QVRTallixDecimal?) {
        storedDecimalNumber = number ?? .zero
        super.init()
    }

    /// A number holding the decimal value of a Foundation number object (absent: zero).
    public convenience init(foundationNumber: NSNumber?) {
        guard let foundationNumber else {
            self.init(number: nil)
            return
        }
        let decimal =
            QVRTallixDecimal(string: foundationNumber.stringValue)
            ?? QVRTallixDecimal(double: foundationNumber.doubleValue)
        self.init(number: decimal)
    }

    /// Makes a subclass instance whose value is set after `init` (constants read from configuration).
    init(settingDecimalNumber value: QVRTallixDecimal?) {
        storedDecimalNumber = value
        super.init()
    }

    // MARK: - Class operations

    /// A number of the receiving class holding not-a-number.
    public class func nan() -> Self {
        Self(number: .nan)
    }

    /// A number of the receiving class from a double: NaN and the infinities give `nan`.
    public class func tallixNumberWithDoubleValue(_ value: Double) -> Self {
        guard value.isFinite else { return nan() }
        return Self(number: QVRTallixDecimal(double: value))
    }

    /// A plain number in [0, 1]: a random integer from 0 to 2147483647 (the system's generator,
    /// seeded from the system's entropy) divided by 2147483647.0.
    public class func random() -> QVRTallixNumber {
        let drawn = Int.random(in: 0...2_147_483_647)
        return QVRTallixNumber.tallixNumberWithDoubleValue(Double(drawn) / 2_147_483_647.0)
    }

    // MARK: - Value

    /// The value; absent for a number made by plain `init`.
    open var decimalNumber: QVRTallixDecimal? { storedDecimalNumber }

    /// The value as a double; 0 when the value is absent.
    public var doubleValue: Double { decimalNumber?.doubleValue ?? 0 }

    /// Whether the number is being typed: false (the editable number answers true).
    open var canEdit: Bool { false }

    /// The text while typing (Part 1.3): for a plain number the same as `formattedString`.
    open var editString: String { formattedString }

    // MARK: - Arithmetic

    public func add(_ other: QVRTallixNumber) -> QVRTallixNumber {
        combined(with: other, QVRTallixDecimal.add, +)
    }

    public func subtract(_ other: QVRTallixNumber) -> QVRTallixNumber {
        combined(with: other, QVRTallixDecimal.subtract, -)
    }

    public func multiply(_ other: QVRTallixNumber) -> QVRTallixNumber {
        combined(with: other, QVRTallixDecimal.multiply, *)
    }

    public func divide(_ other: QVRTallixNumber) -> QVRTallixNumber {
        combined(with: other, QVRTallixDecimal.divide, /)
    }

    /// The shared procedure of the four operations (Part 1.1, Algorithms).
    private func combined(
        with other: QVRTallixNumber,
        _ decimalOperation: (QVRTallixDecimal, QVRTallixDecimal) throws(QVRTallixDecimalError) -> QVRTallixDecimal,
        _ doubleOperation: (Double, Double) -> Double
    ) -> QVRTallixNumber {
        if let left = decimalNumber, let right = other.decimalNumber {
            do {
                return QVRTallixNumber(number: try decimalOperation(left, right))
            } catch {
                // A decimal overflow, underflow or division by zero: retried in double precision.
            }
        }
        return QVRTallixNumber.tallixNumberWithDoubleValue(doubleOperation(doubleValue, other.doubleValue))
    }

    /// The order of the two values (an absent value counts as zero; not-a-number comes first).
    open func compare(_ other: QVRTallixNumber) -> QVRComparisonResult {
        QVRTallixDecimal.compare(decimalNumber ?? .zero, other.decimalNumber ?? .zero)
    }

    // MARK: - Identity

    /// True when `object` is of the receiver's class or a subclass and holds the same value.
    open override func isEqual(_ object: Any?) -> Bool {
        guard let other = object as? QVRTallixNumber, other.isKind(of: type(of: self)) else { return false }
        return other.decimalNumber == decimalNumber
    }

    open override var hash: Int {
        decimalNumber?.hashValue ?? 0
    }

    /// A plain number of the same value (a number with no value copies to zero).
    open func copy(with zone: NSZone? = nil) -> Any {
        QVRTallixNumber(number: decimalNumber)
    }

    /// "QVRTallixNumber(2.5)": the class name and the value's text.
    open override var description: String {
        "\(type(of: self))(\(decimalNumber?.description ?? "(null)"))"
    }

    // MARK: - Archiving

    open class var archiveClassName: String { "QVRTallixNumber" }

    open func encode(with coder: QVRKeyedArchiver) {
        if let decimalNumber = storedDecimalNumber {
            coder.encode(decimalNumber.description, forKey: "decimalNumber")
        }
    }

    /// Reads "decimalNumber": absent gives a number with no value; a value that is no decimal
    /// number (another kind, or text that does not read as one) refuses the archive.
    public required init?(coder: QVRKeyedUnarchiver) {
        if coder.containsValue(forKey: "decimalNumber") {
            guard let value = Self.decodedDecimal(coder.decodeObject(forKey: "decimalNumber")) else { return nil }
            storedDecimalNumber = value
        } else {
            storedDecimalNumber = nil
        }
        super.init()
    }

    /// The decimal of an archived value: its exact text ("NaN" included) or a number.
    static func decodedDecimal(_ value: Any?) -> QVRTallixDecimal? {
        switch value {
        case let text as String:
            if text == "NaN" { return .nan }
            return QVRTallixDecimal(string: text, requiresWholeText: true)
        case let flag where QVRKeyedUnarchiver.isBoolean(flag as Any):
            return nil
        case let number as Int:
            return QVRTallixDecimal(number)
        case let number as Double:
            return QVRTallixDecimal(double: number)
        default:
            return nil
        }
    }
}
