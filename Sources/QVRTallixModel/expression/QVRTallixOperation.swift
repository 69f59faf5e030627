/// The calculator's operations (Part 2.1): values 0 to 39, and 100000 for none (carried by every
/// number component). Like the platform enumeration it stands for, it can hold any value; the
/// predicates answer false for values outside the table.
public struct QVRTallixOperation: RawRepresentable, Hashable, Sendable, CustomStringConvertible {
    public let rawValue: UInt64

    public init(rawValue: UInt64) {
        self.rawValue = rawValue
    }

    public static let percent = QVRTallixOperation(rawValue: 0)
    public static let negate = QVRTallixOperation(rawValue: 1)
    public static let openParenthesis = QVRTallixOperation(rawValue: 2)
    public static let closeParenthesis = QVRTallixOperation(rawValue: 3)
    public static let divide = QVRTallixOperation(rawValue: 4)
    public static let multiply = QVRTallixOperation(rawValue: 5)
    public static let subtract = QVRTallixOperation(rawValue: 6)
    public static let add = QVRTallixOperation(rawValue: 7)
    public static let equal = QVRTallixOperation(rawValue: 8)
    public static let round = QVRTallixOperation(rawValue: 9)
    public static let factorial = QVRTallixOperation(rawValue: 10)
    public static let xPow2 = QVRTallixOperation(rawValue: 11)
    public static let xPow3 = QVRTallixOperation(rawValue: 12)
    public static let xPowY = QVRTallixOperation(rawValue: 13)
    public static let yPowX = QVRTallixOperation(rawValue: 14)
    public static let tenPowX = QVRTallixOperation(rawValue: 15)
    public static let twoPowX = QVRTallixOperation(rawValue: 16)
    public static let invert = QVRTallixOperation(rawValue: 17)
    public static let xRt2 = QVRTallixOperation(rawValue: 18)
    public static let xRt3 = QVRTallixOperation(rawValue: 19)
    public static let yRtX = QVRTallixOperation(rawValue: 20)
    public static let xEEY = QVRTallixOperation(rawValue: 21)
    public static let ln = QVRTallixOperation(rawValue: 22)
    public static let xLogY = QVRTallixOperation(rawValue: 23)
    public static let log10 = QVRTallixOperation(rawValue: 24)
    public static let log2 = QVRTallixOperation(rawValue: 25)
    public static let exp = QVRTallixOperation(rawValue: 26)
    public static let sin = QVRTallixOperation(rawValue: 27)
    public static let asin = QVRTallixOperation(rawValue: 28)
    public static let cos = QVRTallixOperation(rawValue: 29)
    public static let acos = QVRTallixOperation(rawValue: 30)
    public static let tan = QVRTallixOperation(rawValue: 31)
    public static let atan = QVRTallixOperation(rawValue: 32)
    public static let sinh = QVRTallixOperation(rawValue: 33)
    public static let asinh = QVRTallixOperation(rawValue: 34)
    public static let cosh = QVRTallixOperation(rawValue: 35)
    public static let acosh = QVRTallixOperation(rawValue: 36)
    public static let tanh = QVRTallixOperation(rawValue: 37)
    public static let atanh = QVRTallixOperation(rawValue: 38)
    public static let xRtY = QVRTallixOperation(rawValue: 39)
    public static let none = QVRTallixOperation(rawValue: 100_000)

    /// The row of the operation table, or none for a value outside 0 to 39.
    public var info: QVRTallixOperationInfo? {
        rawValue < UInt64(QVRTallixOperationInfo.table.count) ? QVRTallixOperationInfo.table[Int(rawValue)] : nil
    }

    public var isParenthesis: Bool { info?.classes.contains(.parenthesis) ?? false }
    public var isFunction: Bool { info?.classes.contains(.function) ?? false }
    public var isExponents: Bool { info?.classes.contains(.exponents) ?? false }
    public var isMultiplyDivide: Bool { info?.classes.contains(.multiplyDivide) ?? false }
    public var isAddSubtract: Bool { info?.classes.contains(.addSubtract) ?? false }
    public var isTrignometric: Bool { info?.classes.contains(.trigonometric) ?? false }
    public var isDoubleArgument: Bool { info?.classes.contains(.doubleArgument) ?? false }

    /// The precedence: add/subtract 1, multiply/divide 2, exponents 3, function 4, else 0.
    public var order: UInt { info?.order ?? 0 }

    public var description: String { String(rawValue) }
}

/// The value carried by every number component (name "none").
public let QVRTallixOperationNone = QVRTallixOperation.none
