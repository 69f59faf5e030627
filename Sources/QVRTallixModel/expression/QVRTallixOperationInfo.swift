/// One row of the operation table of Part 2.1.
public struct QVRTallixOperationInfo: Sendable {
    /// The `name` string, e.g. "XPOW2".
    public let name: String
    /// The `editString`, e.g. "²".
    public let display: String
    /// The English key of `accessibilityLabel` in the default strings table.
    public let label: String
    public let classes: QVRTallixOperationClasses
    public let order: UInt

    /// The rows for the values 0 to 39, in order.
    public static let table: [QVRTallixOperationInfo] = {
        let function: QVRTallixOperationClasses = [.function]
        let trigonometric: QVRTallixOperationClasses = [.function, .trigonometric]
        let exponents: QVRTallixOperationClasses = [.exponents, .doubleArgument]
        let multiplyDivide: QVRTallixOperationClasses = [.multiplyDivide, .doubleArgument]
        let addSubtract: QVRTallixOperationClasses = [.addSubtract, .doubleArgument]
        let parenthesis: QVRTallixOperationClasses = [.parenthesis]
        func row(_ name: String, _ display: String, _ label: String, _ classes: QVRTallixOperationClasses)
            -> QVRTallixOperationInfo
        {
            let order: UInt =
                classes.contains(.function)
                ? 4
                : classes.contains(.exponents)
                    ? 3 : classes.contains(.multiplyDivide) ? 2 : classes.contains(.addSubtract) ? 1 : 0
            return QVRTallixOperationInfo(name: name, display: display, label: label, classes: classes, order: order)
        }
        return [
            row("Percent", "%", "percent", function),
            row("Negate", "±", "plus, minus", function),
            row("OpenParenthesis", "(", "open parenthesis", parenthesis),
            row("CloseParenthesis", ")", "close parenthesis", parenthesis),
            row("Divide", "÷", "divide", multiplyDivide),
            row("Multiply", "×", "multiply", multiplyDivide),
            row("Subtract", "−", "subtract", addSubtract),
            row("Add", "+", "add", addSubtract),
            row("Equal", "=", "equal", []),
            row("Round", "RND", "round", function),
            row("Factorial", "!", "factorial", function),
            row("XPOW2", "²", "square", function),
            row("XPOW3", "³", "cube", function),
            row("XPOWY", "xʸ", "power", exponents),
            row("YPOWX", "yˣ", "reverse power", exponents),
            row("10POWX", "10ˣ", "10 to the power of", function),
            row("2POWX", "2ˣ", "2 to the power of", function),
            row("Invert", "1/x", "reciprocal", function),
            row("XRT2", "√", "square root", function),
            row("XRT3", "³√", "cube root", function),
            row("YRTX", "ʸ√x", "root", exponents),
            row("XEEY", "EE", "ee engineering exponent", exponents),
            row("LN", "ln", "natural log", function),
            row("XLOGY", "logy", "logarithm", exponents),
            row("LOG10", "log₁₀", "log base 10", function),
            row("LOG2", "log₂", "log base 2", function),
            row("EXP", "eˣ", "exponential", function),
            row("SIN", "sin", "sine", trigonometric),
            row("ASIN", "asin", "inverse sine", trigonometric),
            row("COS", "cos", "cosine", trigonometric),
            row("ACOS", "acos", "inverse cosine", trigonometric),
            row("TAN", "tan", "tangent", trigonometric),
            row("ATAN", "atan", "inverse tangent", trigonometric),
            row("SINH", "sinh", "hyperbolic sine", function),
            row("ASINH", "asinh", "inverse hyperbolic sine", function),
            row("COSH", "cosh", "hyperbolic cosine", function),
            row("ACOSH", "acosh", "inverse hyperbolic cosine", function),
            row("TANH", "tanh", "hyperbolic tangent", function),
            row("ATANH", "atanh", "inverse hyperbolic tangent", function),
            row("XRTY", "ˣ√y", "root", exponents),
        ]
    }()
}
