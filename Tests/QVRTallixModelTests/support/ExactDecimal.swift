@testable import QVRTallixModel

/// An unsigned integer of any size (little-endian 32-bit limbs), with only what the exact
/// reference arithmetic of the decimal tests needs: addition, subtraction, multiplication,
/// powers of ten and comparison. It shares no code with the decimal under test.
struct BigUInt: Equatable, Comparable, CustomStringConvertible {
    /// Limbs, least significant first, without leading (high) zero limbs.
    private(set) var limbs: [UInt32]

    init(_ value: UInt128) {
        var rest = value
        var limbs: [UInt32] = []
        while rest != 0 {
            limbs.append(UInt32(truncatingIfNeeded: rest))
            rest >>= 32
        }
        self.limbs = limbs
    }

    private init(limbs: [UInt32]) {
        var limbs = limbs
        while limbs.last == 0 { limbs.removeLast() }
        self.limbs = limbs
    }

    var isZero: Bool { limbs.isEmpty }

    static func < (lhs: BigUInt, rhs: BigUInt) -> Bool {
        if lhs.limbs.count != rhs.limbs.count { return lhs.limbs.count < rhs.limbs.count }
        for index in stride(from: lhs.limbs.count - 1, through: 0, by: -1) where lhs.limbs[index] != rhs.limbs[index] {
            return lhs.limbs[index] < rhs.limbs[index]
        }
        return false
    }

    static func + (lhs: BigUInt, rhs: BigUInt) -> BigUInt {
        var result: [UInt32] = []
        var carry: UInt64 = 0
        for index in 0..<max(lhs.limbs.count, rhs.limbs.count) {
            let sum = UInt64(lhs.limb(index)) + UInt64(rhs.limb(index)) + carry
            result.append(UInt32(truncatingIfNeeded: sum))
            carry = sum >> 32
        }
        if carry != 0 { result.append(UInt32(carry)) }
        return BigUInt(limbs: result)
    }

    /// The difference; `lhs` must not be below `rhs`.
    static func - (lhs: BigUInt, rhs: BigUInt) -> BigUInt {
        precondition(!(lhs < rhs), "BigUInt subtraction below zero")
        var result: [UInt32] = []
        var borrow: Int64 = 0
        for index in 0..<lhs.limbs.count {
            var difference = Int64(lhs.limbs[index]) - Int64(rhs.limb(index)) - borrow
            borrow = 0
            if difference < 0 {
                difference += 1 << 32
                borrow = 1
            }
            result.append(UInt32(difference))
        }
        return BigUInt(limbs: result)
    }

    static func * (lhs: BigUInt, rhs: BigUInt) -> BigUInt {
        if lhs.isZero || rhs.isZero { return BigUInt(0) }
        var result = [UInt32](repeating: 0, count: lhs.limbs.count + rhs.limbs.count)
        for (i, left) in lhs.limbs.enumerated() {
            var carry: UInt64 = 0
            for (j, right) in rhs.limbs.enumerated() {
                let product = UInt64(left) * UInt64(right) + UInt64(result[i + j]) + carry
                result[i + j] = UInt32(truncatingIfNeeded: product)
                carry = product >> 32
            }
            var k = i + rhs.limbs.count
            while carry != 0 {
                let sum = UInt64(result[k]) + carry
                result[k] = UInt32(truncatingIfNeeded: sum)
                carry = sum >> 32
                k += 1
            }
        }
        return BigUInt(limbs: result)
    }

    /// 10 to the power `exponent` (0 or more).
    static func powerOfTen(_ exponent: Int) -> BigUInt {
        if exponent < powersOfTen.count { return powersOfTen[exponent] }
        return powersOfTen[powersOfTen.count - 1] * powerOfTen(exponent - powersOfTen.count + 1)
    }

    /// 10^0 … 10^700, made once.
    private static let powersOfTen: [BigUInt] = {
        var table = [BigUInt(1)]
        let ten = BigUInt(10)
        for _ in 1...700 { table.append(table[table.count - 1] * ten) }
        return table
    }()

    /// The decimal digits (slow; for failure messages and digit counts).
    var description: String {
        if isZero { return "0" }
        var digits: [Character] = []
        var value = limbs
        while !value.isEmpty {
            var remainder: UInt64 = 0
            for index in stride(from: value.count - 1, through: 0, by: -1) {
                let current = (remainder << 32) | UInt64(value[index])
                value[index] = UInt32(current / 10)
                remainder = current % 10
            }
            digits.append(Character(String(remainder)))
            while value.last == 0 { value.removeLast() }
        }
        return String(digits.reversed())
    }

    private func limb(_ index: Int) -> UInt32 {
        index < limbs.count ? limbs[index] : 0
    }
}

/// An exact decimal, sign × magnitude × 10^exponent, with exact addition and multiplication:
/// the reference against which the tests check ``QVRTallixDecimal``'s rounded results.
struct ExactDecimal: CustomStringConvertible {
    var isNegative: Bool
    var magnitude: BigUInt
    var exponent: Int

    init(isNegative: Bool, magnitude: BigUInt, exponent: Int) {
        self.isNegative = isNegative && !magnitude.isZero
        self.magnitude = magnitude
        self.exponent = exponent
    }

    /// The exact value of a (finite) decimal under test.
    init(_ decimal: QVRTallixDecimal) {
        precondition(!decimal.isNaN, "ExactDecimal of not-a-number")
        self.init(isNegative: decimal.isNegative, magnitude: BigUInt(decimal.mantissa), exponent: decimal.exponent)
    }

    var isZero: Bool { magnitude.isZero }

    var negated: ExactDecimal { ExactDecimal(isNegative: !isNegative, magnitude: magnitude, exponent: exponent) }

    var description: String { (isNegative ? "-" : "") + magnitude.description + "e\(exponent)" }

    /// The magnitude scaled to the exponent `target` (at most the own exponent).
    func magnitude(atExponent target: Int) -> BigUInt {
        magnitude * BigUInt.powerOfTen(exponent - target)
    }

    static func + (lhs: ExactDecimal, rhs: ExactDecimal) -> ExactDecimal {
        let exponent = min(lhs.exponent, rhs.exponent)
        let left = lhs.magnitude(atExponent: exponent)
        let right = rhs.magnitude(atExponent: exponent)
        if lhs.isNegative == rhs.isNegative {
            return ExactDecimal(isNegative: lhs.isNegative, magnitude: left + right, exponent: exponent)
        }
        if left < right {
            return ExactDecimal(isNegative: rhs.isNegative, magnitude: right - left, exponent: exponent)
        }
        return ExactDecimal(isNegative: lhs.isNegative, magnitude: left - right, exponent: exponent)
    }

    static func - (lhs: ExactDecimal, rhs: ExactDecimal) -> ExactDecimal {
        lhs + rhs.negated
    }

    static func * (lhs: ExactDecimal, rhs: ExactDecimal) -> ExactDecimal {
        ExactDecimal(
            isNegative: lhs.isNegative != rhs.isNegative,
            magnitude: lhs.magnitude * rhs.magnitude,
            exponent: lhs.exponent + rhs.exponent)
    }

    /// -1, 0 or 1 as `lhs` is below, equal to or above `rhs`.
    static func order(_ lhs: ExactDecimal, _ rhs: ExactDecimal) -> Int {
        let difference = lhs - rhs
        if difference.isZero { return 0 }
        return difference.isNegative ? -1 : 1
    }

    /// The order of `lhs` and `rhs` compared by their magnitudes only.
    static func orderOfMagnitudes(_ lhs: ExactDecimal, _ rhs: ExactDecimal) -> Int {
        order(
            ExactDecimal(isNegative: false, magnitude: lhs.magnitude, exponent: lhs.exponent),
            ExactDecimal(isNegative: false, magnitude: rhs.magnitude, exponent: rhs.exponent))
    }
}

/// A quotient n ÷ d of two exact decimals, compared without dividing.
struct ExactQuotient {
    var numerator: ExactDecimal
    var denominator: ExactDecimal  // not zero

    /// -1, 0 or 1 as the quotient's magnitude is below, equal to or above the magnitude of `value`.
    func orderOfMagnitude(comparedWith value: ExactDecimal) -> Int {
        // |n| ÷ |d| against |v|: compare |n| with |v| × |d|.
        ExactDecimal.orderOfMagnitudes(numerator, value * denominator)
    }

    var isNegative: Bool { numerator.isNegative != denominator.isNegative && !numerator.isZero }
    var isZero: Bool { numerator.isZero }
}
