/// The platform decimal of the spec (Foundation's `NSDecimal`): a mantissa below 2^128 (38 to 39
/// decimal digits), a decimal exponent from −128 to 127, a sign, and a distinct not-a-number.
///
/// Foundation's own `Decimal` arithmetic traps on Linux (an underflowing multiplication stops
/// the process), so the arithmetic is done here, on the same value model and with Foundation's
/// rules: results rounded to the mantissa's width with plain rounding (halves away from zero),
/// no error for a loss of precision, and an error for overflow, underflow and division by zero.
/// Values are kept compact (no trailing zeros in the mantissa while the exponent allows), so each
/// value has one representation.
public struct QVRTallixDecimal: Sendable, Hashable, CustomStringConvertible {
    public static let minimumExponent = -128
    public static let maximumExponent = 127

    public let isNegative: Bool
    public let mantissa: UInt128
    public let exponent: Int
    public let isNaN: Bool

    public static let zero = QVRTallixDecimal(isNegative: false, mantissa: 0, exponent: 0, isNaN: false)
    public static let one = QVRTallixDecimal(isNegative: false, mantissa: 1, exponent: 0, isNaN: false)
    /// The distinct not-a-number value (Foundation's `notANumber`).
    public static let nan = QVRTallixDecimal(isNegative: false, mantissa: 0, exponent: 0, isNaN: true)

    private init(isNegative: Bool, mantissa: UInt128, exponent: Int, isNaN: Bool) {
        self.isNegative = isNegative && mantissa != 0 && !isNaN
        self.mantissa = mantissa
        self.exponent = exponent
        self.isNaN = isNaN
    }

    /// The value of a signed integer.
    public init(_ value: Int) {
        self = Self.compacted(negative: value < 0, mantissa: UInt128(value.magnitude), exponent: 0)
    }

    /// The value of an unsigned 64-bit integer.
    public init(_ value: UInt64) {
        self = Self.compacted(negative: false, mantissa: UInt128(value), exponent: 0)
    }

    /// mantissa × 10^exponent, rounded and range-checked like an arithmetic result.
    public init(negative: Bool, mantissa: UInt128, exponent: Int) throws(QVRTallixDecimalError) {
        self = try Self.normalized(negative: negative, value: QVRUInt256(mantissa), exponent: exponent)
    }

    public var isZero: Bool { !isNaN && mantissa == 0 }

    /// The value with the opposite sign (not-a-number and zero stay as they are).
    public var negated: QVRTallixDecimal {
        QVRTallixDecimal(isNegative: !isNegative, mantissa: mantissa, exponent: exponent, isNaN: isNaN)
    }

    /// The absolute value.
    public var magnitude: QVRTallixDecimal {
        QVRTallixDecimal(isNegative: false, mantissa: mantissa, exponent: exponent, isNaN: isNaN)
    }

    // MARK: - Arithmetic

    public static func add(_ lhs: QVRTallixDecimal, _ rhs: QVRTallixDecimal) throws(QVRTallixDecimalError)
        -> QVRTallixDecimal
    {
        if lhs.isNaN || rhs.isNaN { return .nan }
        if lhs.mantissa == 0 { return rhs }
        if rhs.mantissa == 0 { return lhs }
        let (big, small) = lhs.exponent >= rhs.exponent ? (lhs, rhs) : (rhs, lhs)
        let distance = big.exponent - small.exponent
        // Scale the operand with the larger exponent up as far as 256 bits allow; the other is
        // then exact, or rounded down far below the digits that the result keeps.
        let shift = min(distance, 76 - QVRPowersOfTen.digitCount(big.mantissa))
        let scaledBig = QVRUInt256(big.mantissa).multipliedByPowerOfTen(shift)
        let exponent = big.exponent - shift
        var scaledSmall = QVRUInt256(small.mantissa)
        var inexact = false
        let smallShift = distance - shift
        if smallShift >= 39 {
            scaledSmall = QVRUInt256(0)
            inexact = true
        } else if smallShift > 0 {
            let (quotient, remainder) = small.mantissa.quotientAndRemainder(
                dividingBy: QVRPowersOfTen.uint128[smallShift])
            scaledSmall = QVRUInt256(quotient)
            inexact = remainder != 0
        }
        if big.isNegative == small.isNegative {
            return try normalized(negative: big.isNegative, value: scaledBig + scaledSmall, exponent: exponent)
        }
        if scaledSmall < scaledBig {
            // The true difference lies below scaledBig − scaledSmall when digits of the smaller
            // operand were dropped: take one unit less so that the rounding sees a value below.
            var difference = scaledBig - scaledSmall
            if inexact { difference = difference - QVRUInt256(1) }
            return try normalized(negative: big.isNegative, value: difference, exponent: exponent)
        }
        if scaledBig < scaledSmall {
            return try normalized(negative: small.isNegative, value: scaledSmall - scaledBig, exponent: exponent)
        }
        return .zero
    }

    public static func subtract(_ lhs: QVRTallixDecimal, _ rhs: QVRTallixDecimal) throws(QVRTallixDecimalError)
        -> QVRTallixDecimal
    {
        try add(lhs, rhs.negated)
    }

    public static func multiply(_ lhs: QVRTallixDecimal, _ rhs: QVRTallixDecimal) throws(QVRTallixDecimalError)
        -> QVRTallixDecimal
    {
        if lhs.isNaN || rhs.isNaN { return .nan }
        if lhs.mantissa == 0 || rhs.mantissa == 0 { return .zero }
        let product = lhs.mantissa.multipliedFullWidth(by: rhs.mantissa)
        return try normalized(
            negative: lhs.isNegative != rhs.isNegative,
            value: QVRUInt256(high: product.high, low: product.low),
            exponent: lhs.exponent + rhs.exponent)
    }

    public static func divide(_ lhs: QVRTallixDecimal, _ rhs: QVRTallixDecimal) throws(QVRTallixDecimalError)
        -> QVRTallixDecimal
    {
        if lhs.isNaN || rhs.isNaN { return .nan }
        if rhs.mantissa == 0 { throw .divideByZero }
        if lhs.mantissa == 0 { return .zero }
        // Scale the dividend below 10^77 (< 2^256), so that the quotient by a divisor below 10^39
        // has at least 38 digits.
        let scale = 77 - QVRPowersOfTen.digitCount(lhs.mantissa)
        let numerator = QVRUInt256(lhs.mantissa).multipliedByPowerOfTen(scale)
        let (quotient, remainder) = numerator.quotientAndRemainder(dividingBy: rhs.mantissa)
        return try normalized(
            negative: lhs.isNegative != rhs.isNegative,
            value: quotient,
            exponent: lhs.exponent - rhs.exponent - scale,
            remainderRoundsUp: remainder >= rhs.mantissa - remainder)
    }

    /// The value rounded to `scale` digits after the decimal point.
    public func rounded(scale: Int, mode: QVRTallixRoundingMode) -> QVRTallixDecimal {
        guard !isNaN, mantissa != 0, exponent < -scale else { return self }
        let drop = -scale - exponent
        let kept = Self.droppingDigits(mantissa, count: drop, mode: mode, negative: isNegative)
        return Self.compacted(negative: isNegative, mantissa: kept.mantissa, exponent: -scale + kept.extraExponent)
    }

    /// The order of two values; not-a-number comes before every number and is the same as itself.
    public static func compare(_ lhs: QVRTallixDecimal, _ rhs: QVRTallixDecimal) -> QVRComparisonResult {
        if lhs.isNaN || rhs.isNaN {
            if lhs.isNaN && rhs.isNaN { return .orderedSame }
            return lhs.isNaN ? .orderedAscending : .orderedDescending
        }
        if lhs.isNegative != rhs.isNegative {
            return lhs.isNegative ? .orderedAscending : .orderedDescending
        }
        let magnitudeOrder = compareMagnitudes(lhs, rhs)
        if lhs.isNegative {
            switch magnitudeOrder {
            case .orderedAscending: return .orderedDescending
            case .orderedDescending: return .orderedAscending
            case .orderedSame: return .orderedSame
            }
        }
        return magnitudeOrder
    }

    private static func compareMagnitudes(_ lhs: QVRTallixDecimal, _ rhs: QVRTallixDecimal) -> QVRComparisonResult {
        if lhs.mantissa == 0 || rhs.mantissa == 0 {
            if lhs.mantissa == rhs.mantissa { return .orderedSame }
            return lhs.mantissa == 0 ? .orderedAscending : .orderedDescending
        }
        let lhsDigits = QVRPowersOfTen.digitCount(lhs.mantissa)
        let rhsDigits = QVRPowersOfTen.digitCount(rhs.mantissa)
        let lhsMagnitude = lhsDigits + lhs.exponent
        let rhsMagnitude = rhsDigits + rhs.exponent
        if lhsMagnitude != rhsMagnitude {
            return lhsMagnitude < rhsMagnitude ? .orderedAscending : .orderedDescending
        }
        // Same leading position: align the exponents (the difference is below 39 digits).
        var left = QVRUInt256(lhs.mantissa)
        var right = QVRUInt256(rhs.mantissa)
        if lhs.exponent > rhs.exponent {
            left = left.multipliedByPowerOfTen(lhs.exponent - rhs.exponent)
        } else if rhs.exponent > lhs.exponent {
            right = right.multipliedByPowerOfTen(rhs.exponent - lhs.exponent)
        }
        if left == right { return .orderedSame }
        return left < right ? .orderedAscending : .orderedDescending
    }

    // MARK: - Normalisation

    /// Rounds a wide value to a mantissa below 2^128 and an exponent of at least −128, checks
    /// the upper exponent limit and compacts the result.
    static func normalized(
        negative: Bool,
        value: QVRUInt256,
        exponent: Int,
        remainderRoundsUp: Bool = false
    ) throws(QVRTallixDecimalError) -> QVRTallixDecimal {
        if value.isZero {
            return remainderRoundsUp
                ? try normalized(negative: negative, value: QVRUInt256(1), exponent: exponent) : .zero
        }
        var drop = 0
        let digits = value.decimalDigitCount
        if digits > 39 { drop = digits - 39 }
        if exponent + drop < minimumExponent { drop = minimumExponent - exponent }
        if drop == 0, value.high != 0 { drop = 1 }
        if drop == 0, remainderRoundsUp, value.low == UInt128.max { drop = 1 }
        if drop > 0 {
            return try normalized(negative: negative, value: value, exponent: exponent, forcedDrop: drop)
        }
        var mantissa = value.low + (remainderRoundsUp ? 1 : 0)
        var exponent = exponent
        while exponent > maximumExponent {
            guard mantissa <= UInt128.max / 10 else { throw .overflow }
            mantissa *= 10
            exponent -= 1
        }
        return compacted(negative: negative, mantissa: mantissa, exponent: exponent)
    }

    /// Drops `forcedDrop` or more digits (plain rounding) until the mantissa fits.
    private static func normalized(
        negative: Bool,
        value: QVRUInt256,
        exponent: Int,
        forcedDrop: Int
    ) throws(QVRTallixDecimalError) -> QVRTallixDecimal {
        var drop = forcedDrop
        while true {
            let digits = value.decimalDigitCount
            var rounded: QVRUInt256
            if drop > digits {
                rounded = QVRUInt256(0)
            } else {
                let truncated = value.dividedByPowerOfTen(drop - 1)
                let (kept, digit) = truncated.quotientAndRemainder(dividingBy: 10)
                rounded = digit >= 5 ? kept + QVRUInt256(1) : kept
            }
            if rounded.high != 0 {
                drop += 1
                continue
            }
            if rounded.isZero { throw .underflow }
            var mantissa = rounded.low
            var newExponent = exponent + drop
            while newExponent > maximumExponent {
                guard mantissa <= UInt128.max / 10 else { throw .overflow }
                mantissa *= 10
                newExponent -= 1
            }
            return compacted(negative: negative, mantissa: mantissa, exponent: newExponent)
        }
    }

    /// Removes trailing zeros from the mantissa while the exponent allows.
    static func compacted(negative: Bool, mantissa: UInt128, exponent: Int) -> QVRTallixDecimal {
        guard mantissa != 0 else { return .zero }
        var mantissa = mantissa
        var exponent = exponent
        for step in [16, 8, 4, 2, 1] {
            let power = QVRPowersOfTen.uint128[step]
            while exponent + step <= maximumExponent {
                let (quotient, remainder) = mantissa.quotientAndRemainder(dividingBy: power)
                guard remainder == 0 else { break }
                mantissa = quotient
                exponent += step
            }
        }
        return QVRTallixDecimal(isNegative: negative, mantissa: mantissa, exponent: exponent, isNaN: false)
    }

    /// Drops the last `count` digits of a mantissa with the rounding mode; answers the kept
    /// mantissa and how far the exponent rises beyond `count` (1 when rounding added a digit
    /// that no longer fits).
    static func droppingDigits(_ mantissa: UInt128, count: Int, mode: QVRTallixRoundingMode, negative: Bool)
        -> (mantissa: UInt128, extraExponent: Int)
    {
        let digits = QVRPowersOfTen.digitCount(mantissa)
        if count > digits {
            let up = mode.roundsUp(firstDroppedDigit: 0, restIsNonZero: mantissa != 0, keptIsOdd: false)
            return (up ? 1 : 0, 0)
        }
        let restPower = QVRPowersOfTen.uint128[count - 1]
        let (truncated, rest) = mantissa.quotientAndRemainder(dividingBy: restPower)
        let (kept, digit) = truncated.quotientAndRemainder(dividingBy: 10)
        let up = mode.roundsUp(firstDroppedDigit: Int(digit), restIsNonZero: rest != 0, keptIsOdd: kept & 1 == 1)
        if up {
            if kept == UInt128.max { return (kept / 10 + 1, 1) }
            return (kept + 1, 0)
        }
        return (kept, 0)
    }

    // MARK: - Text

    /// The value in plain notation ("2.5", "-0.001", "1000"), or "NaN".
    public var description: String {
        if isNaN { return "NaN" }
        if mantissa == 0 { return "0" }
        let digits = QVRDecimalDigits.ascii(mantissa)
        var bytes: [UInt8] = isNegative ? [UInt8(ascii: "-")] : []
        if exponent >= 0 {
            bytes += digits
            bytes += [UInt8](repeating: UInt8(ascii: "0"), count: exponent)
        } else {
            let fraction = -exponent
            if digits.count > fraction {
                bytes += digits[..<(digits.count - fraction)]
                bytes.append(UInt8(ascii: "."))
                bytes += digits[(digits.count - fraction)...]
            } else {
                bytes += [UInt8(ascii: "0"), UInt8(ascii: ".")]
                bytes += [UInt8](repeating: UInt8(ascii: "0"), count: fraction - digits.count)
                bytes += digits
            }
        }
        return String(decoding: bytes, as: UTF8.self)
    }
}
