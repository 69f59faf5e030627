import Foundation

#if canImport(Glibc)
    import Glibc
#endif

/// The scientific functions of Part 1.2.
extension QVRTallixNumber {
    /// π of the double path.
    static let doublePi = 3.141592653589793
    /// Results of the circular and hyperbolic functions below this magnitude are exactly zero.
    static let zeroThreshold = 1e-13
    /// The decimal one multiplied by ten to the power 2.
    static let oneHundred = QVRTallixDecimal(100)
    /// The decimal zero minus the decimal one.
    static let negativeOne = QVRTallixDecimal(-1)

    // MARK: - Decimal procedure

    /// The decimal operation, or on a decimal failure (or an absent value) the double formula.
    private func decimalProcedure(
        _ decimalOperation: (QVRTallixDecimal) throws(QVRTallixDecimalError) -> QVRTallixDecimal,
        _ doubleFormula: (Double) -> Double
    ) -> QVRTallixNumber {
        if let value = decimalNumber {
            do {
                return QVRTallixNumber(number: try decimalOperation(value))
            } catch {
                // Overflow, underflow or division by zero: the double formula decides.
            }
        }
        return QVRTallixNumber.tallixNumberWithDoubleValue(doubleFormula(doubleValue))
    }

    private func doubleProcedure(_ formula: (Double) -> Double) -> QVRTallixNumber {
        QVRTallixNumber.tallixNumberWithDoubleValue(formula(doubleValue))
    }

    /// A plain exact zero when `value` is below the zero threshold, else the number of `value`.
    private static func thresholded(_ value: Double) -> QVRTallixNumber {
        if abs(value) < zeroThreshold { return QVRTallixNumber(number: .zero) }
        return QVRTallixNumber.tallixNumberWithDoubleValue(value)
    }

    public func percent() -> QVRTallixNumber {
        decimalProcedure({ v throws(QVRTallixDecimalError) in try .divide(v, Self.oneHundred) }, { $0 * 0.01 })
    }

    public func negate() -> QVRTallixNumber {
        decimalProcedure({ v throws(QVRTallixDecimalError) in try .multiply(v, Self.negativeOne) }, { -$0 })
    }

    public func invert() -> QVRTallixNumber {
        decimalProcedure({ v throws(QVRTallixDecimalError) in try .divide(.one, v) }, { 1.0 / $0 })
    }

    public func powTwo() -> QVRTallixNumber {
        decimalProcedure({ v throws(QVRTallixDecimalError) in try .multiply(v, v) }, { $0 * $0 })
    }

    public func powThree() -> QVRTallixNumber {
        decimalProcedure(
            { v throws(QVRTallixDecimalError) in try .multiply(try .multiply(v, v), v) }, { Foundation.pow($0, 3.0) })
    }

    /// Rounded to a whole number, halves away from zero.
    public func round() -> QVRTallixNumber {
        decimalProcedure({ v in v.rounded(scale: 0, mode: .plain) }, { Foundation.round($0) })
    }

    // MARK: - Double procedure

    public func pow(_ exponent: QVRTallixNumber) -> QVRTallixNumber {
        let y = exponent.doubleValue
        return doubleProcedure { Foundation.pow($0, y) }
    }

    /// The logarithm of the receiver to the base `base`: ln x ÷ ln y.
    public func log(_ base: QVRTallixNumber) -> QVRTallixNumber {
        let y = base.doubleValue
        return doubleProcedure { Foundation.log($0) / Foundation.log(y) }
    }

    /// The receiver × 10 to the power `exponent`.
    public func ee(_ exponent: QVRTallixNumber) -> QVRTallixNumber {
        let y = exponent.doubleValue
        return doubleProcedure { $0 * Self.exp10(y) }
    }

    /// The `degree`-th root of the receiver; an odd root of a negative number is negative.
    public func rt(_ degree: QVRTallixNumber) -> QVRTallixNumber {
        let y = degree.doubleValue
        let x = doubleValue
        let fraction = modf(y).1
        if x < 0, fraction == 0.0, Self.isOdd(y) {
            return QVRTallixNumber.tallixNumberWithDoubleValue(-Foundation.pow(-x, 1.0 / y))
        }
        return QVRTallixNumber.tallixNumberWithDoubleValue(Foundation.pow(x, 1.0 / y))
    }

    /// Whether the whole number `y` is odd (magnitudes beyond 2^53 are all even).
    private static func isOdd(_ y: Double) -> Bool {
        let magnitude = abs(y)
        guard magnitude < 9_007_199_254_740_992 else { return false }
        return Int64(magnitude) % 2 == 1
    }

    public func tenPow() -> QVRTallixNumber { doubleProcedure { Self.exp10($0) } }
    public func twoPow() -> QVRTallixNumber { doubleProcedure { Foundation.exp2($0) } }
    public func expTwo() -> QVRTallixNumber { doubleProcedure { Foundation.exp2($0) } }
    public func exp() -> QVRTallixNumber { doubleProcedure { Foundation.exp($0) } }
    public func ln() -> QVRTallixNumber { doubleProcedure { Foundation.log($0) } }
    public func logTen() -> QVRTallixNumber { doubleProcedure { Foundation.log10($0) } }
    public func logTwo() -> QVRTallixNumber { doubleProcedure { Foundation.log2($0) } }
    public func rtTwo() -> QVRTallixNumber { doubleProcedure { $0.squareRoot() } }
    public func rtThree() -> QVRTallixNumber { rt(QVRTallixNumber.tallixNumberWithDoubleValue(3.0)) }

    // MARK: - Trigonometry

    public func sin(_ radians: Bool) -> QVRTallixNumber { circular(radians, Foundation.sin) }
    public func cos(_ radians: Bool) -> QVRTallixNumber { circular(radians, Foundation.cos) }
    public func tan(_ radians: Bool) -> QVRTallixNumber { circular(radians, Foundation.tan) }
    public func asin(_ radians: Bool) -> QVRTallixNumber { inverseCircular(radians, Foundation.asin) }
    public func acos(_ radians: Bool) -> QVRTallixNumber { inverseCircular(radians, Foundation.acos) }
    public func atan(_ radians: Bool) -> QVRTallixNumber { inverseCircular(radians, Foundation.atan) }

    private func circular(_ radians: Bool, _ function: (Double) -> Double) -> QVRTallixNumber {
        var x = doubleValue
        if !radians { x = (x * Self.doublePi) / 180.0 }
        return Self.thresholded(function(x))
    }

    private func inverseCircular(_ radians: Bool, _ function: (Double) -> Double) -> QVRTallixNumber {
        var result = function(doubleValue)
        if !radians { result = (result * 180.0) / Self.doublePi }
        return QVRTallixNumber.tallixNumberWithDoubleValue(result)
    }

    public func sinh() -> QVRTallixNumber { Self.thresholded(Foundation.sinh(doubleValue)) }
    public func cosh() -> QVRTallixNumber { Self.thresholded(Foundation.cosh(doubleValue)) }
    public func tanh() -> QVRTallixNumber { Self.thresholded(Foundation.tanh(doubleValue)) }
    public func asinh() -> QVRTallixNumber { doubleProcedure { Foundation.asinh($0) } }
    public func acosh() -> QVRTallixNumber { doubleProcedure { Foundation.acosh($0) } }
    public func atanh() -> QVRTallixNumber { doubleProcedure { Foundation.atanh($0) } }

    // MARK: - Factorial

    /// n! exactly for the whole numbers 0 to 19; the gamma function otherwise; not-a-number of the
    /// receiver's class for a negative number.
    public func factorial() -> QVRTallixNumber {
        let x = doubleValue
        if x < 0 { return type(of: self).nan() }
        if x < 20.0, x == x.rounded(.towardZero) {
            let n = UInt64(x)
            var product: UInt64 = 1
            var factor: UInt64 = 2
            while factor <= n {
                product *= factor
                factor += 1
            }
            return QVRTallixNumber(number: QVRTallixDecimal(product))
        }
        return QVRTallixNumber.tallixNumberWithDoubleValue(Foundation.tgamma(x + 1.0))
    }

    /// 10 to the power `y` (the C library's exp10).
    static func exp10(_ y: Double) -> Double {
        Foundation.pow(10.0, y)
    }
}
