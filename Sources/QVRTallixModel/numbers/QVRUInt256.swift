/// An unsigned 256-bit integer: the working width of the decimal arithmetic, wide enough for the
/// product of two 128-bit mantissas and for a mantissa scaled by up to 10^38.
struct QVRUInt256: Sendable, Equatable, Comparable {
    var high: UInt128
    var low: UInt128

    init(high: UInt128 = 0, low: UInt128) {
        self.high = high
        self.low = low
    }

    init(_ value: UInt128) {
        self.init(high: 0, low: value)
    }

    var isZero: Bool { high == 0 && low == 0 }

    static func < (lhs: QVRUInt256, rhs: QVRUInt256) -> Bool {
        lhs.high != rhs.high ? lhs.high < rhs.high : lhs.low < rhs.low
    }

    /// The sum; the caller guarantees that it fits.
    static func + (lhs: QVRUInt256, rhs: QVRUInt256) -> QVRUInt256 {
        let (low, carry) = lhs.low.addingReportingOverflow(rhs.low)
        return QVRUInt256(high: lhs.high &+ rhs.high &+ (carry ? 1 : 0), low: low)
    }

    /// The difference; the caller guarantees `lhs >= rhs`.
    static func - (lhs: QVRUInt256, rhs: QVRUInt256) -> QVRUInt256 {
        let (low, borrow) = lhs.low.subtractingReportingOverflow(rhs.low)
        return QVRUInt256(high: lhs.high &- rhs.high &- (borrow ? 1 : 0), low: low)
    }

    /// The product with a 128-bit factor; the caller guarantees that it fits in 256 bits.
    func multiplied(by factor: UInt128) -> QVRUInt256 {
        let lowProduct = low.multipliedFullWidth(by: factor)
        let highProduct = high &* factor
        return QVRUInt256(high: lowProduct.high &+ highProduct, low: lowProduct.low)
    }

    /// The quotient and remainder of the division by a non-zero 128-bit divisor.
    func quotientAndRemainder(dividingBy divisor: UInt128) -> (quotient: QVRUInt256, remainder: UInt128) {
        let (highQuotient, highRemainder) = high.quotientAndRemainder(dividingBy: divisor)
        let (lowQuotient, remainder) = divisor.dividingFullWidth((highRemainder, low))
        return (QVRUInt256(high: highQuotient, low: lowQuotient), remainder)
    }

    /// The quotient by 10^power (power ≥ 0), rounded down; zero from 10^78 on, which exceeds
    /// every 256-bit value.
    func dividedByPowerOfTen(_ power: Int) -> QVRUInt256 {
        var quotient = self
        var rest = max(power, 0)
        while rest > 0, !quotient.isZero {
            let step = min(rest, 38)
            quotient = quotient.quotientAndRemainder(dividingBy: QVRPowersOfTen.uint128[step]).quotient
            rest -= step
        }
        return quotient
    }

    /// The value scaled by 10^power; the caller guarantees that it fits (power ≤ 77).
    func multipliedByPowerOfTen(_ power: Int) -> QVRUInt256 {
        if power <= 38 { return multiplied(by: QVRPowersOfTen.uint128[power]) }
        return multiplied(by: QVRPowersOfTen.uint128[38]).multiplied(by: QVRPowersOfTen.uint128[power - 38])
    }

    /// The number of decimal digits (0 for zero).
    var decimalDigitCount: Int {
        if high == 0 { return QVRPowersOfTen.digitCount(low) }
        // 2^128 has 39 digits, so the count lies between 39 and 78.
        var count = 39
        while count < QVRPowersOfTen.uint256.count, !(self < QVRPowersOfTen.uint256[count]) {
            count += 1
        }
        return count
    }
}
