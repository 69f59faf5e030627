/// A failure of the decimal arithmetic: what Foundation's decimal raises as an exception of the
/// platform's exception class (Part 1.1). The number operations catch it and retry in double
/// precision.
public enum QVRTallixDecimalError: Error, Sendable, Equatable, CustomStringConvertible {
    case overflow
    case underflow
    case divideByZero

    public var description: String {
        switch self {
        case .overflow: "NSDecimalNumberOverflowException: Decimal number overflow"
        case .underflow: "NSDecimalNumberUnderflowException: Decimal number underflow"
        case .divideByZero: "NSDecimalNumberDivideByZeroException: Decimal number divide by zero"
        }
    }
}
