import Foundation

/// One token of a formula of Part 5.3, read once from the formula text so that a conversion
/// does not read the text again.
enum QVRTallixFormulaToken: Sendable, Equatable {
    /// "X": the value being converted.
    case value
    case add
    case subtract
    case multiply
    case divide
    /// Any other token, read as a decimal with "." as the separator (not-a-number when it is no
    /// number, the empty token included).
    case constant(QVRTallixDecimal)

    /// The tokens of `formula`, split at every single space.
    static func tokens(of formula: String) -> [QVRTallixFormulaToken] {
        formula.split(separator: " ", omittingEmptySubsequences: false).map { token in
            switch token {
            case "X": .value
            case "+": .add
            case "-": .subtract
            case "*": .multiply
            case "/": .divide
            default:
                .constant(
                    QVRTallixDecimal(string: String(token), decimalSeparator: gQVRTallixDataDecimalSeparator) ?? .nan)
            }
        }
    }

    /// Runs `tokens` on a stack (Part 5.3, Algorithms): the top of the stack at the end, or none
    /// when it is empty.
    ///
    /// - Throws: ``QVRException/range(_:)`` when an operator finds fewer than two values;
    ///   ``QVRTallixDecimalError`` on an overflow or underflow.
    static func evaluate(
        _ tokens: [QVRTallixFormulaToken], formula: String, value: QVRTallixDecimal, inverse: Bool
    ) throws -> QVRTallixDecimal? {
        var stack: [QVRTallixDecimal] = []
        stack.reserveCapacity(4)
        for token in tokens {
            switch token {
            case .value:
                stack.append(value)
            case .constant(let constant):
                stack.append(constant)
            case .add, .subtract, .multiply, .divide:
                guard let a = stack.popLast(), let b = stack.popLast() else {
                    throw QVRException.range("formula \"\(formula)\": an operator needs two values on the stack")
                }
                stack.append(try apply(token, a: a, b: b, inverse: inverse))
            }
        }
        return stack.last
    }

    private static func apply(_ token: QVRTallixFormulaToken, a: QVRTallixDecimal, b: QVRTallixDecimal, inverse: Bool)
        throws(QVRTallixDecimalError) -> QVRTallixDecimal
    {
        switch token {
        case .add:
            return try QVRTallixDecimal.add(a, b)
        case .subtract:
            return try QVRTallixDecimal.subtract(b, a)
        case .multiply where inverse, .divide where !inverse:
            return a.isZero ? .zero : try QVRTallixDecimal.divide(b, a)
        case .multiply, .divide:
            return try QVRTallixDecimal.multiply(b, a)
        case .value, .constant:
            return b
        }
    }
}
