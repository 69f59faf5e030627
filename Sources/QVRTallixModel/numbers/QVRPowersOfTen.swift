/// Tables of the powers of ten used by the decimal arithmetic and formatting.
enum QVRPowersOfTen {
    /// 10^0 … 10^38.
    static let uint128: [UInt128] = {
        var table: [UInt128] = [1]
        for _ in 1...38 { table.append(table[table.count - 1] * 10) }
        return table
    }()

    /// 10^0 … 10^77.
    static let uint256: [QVRUInt256] = {
        var table: [QVRUInt256] = [QVRUInt256(1)]
        for _ in 1...77 { table.append(table[table.count - 1].multiplied(by: 10)) }
        return table
    }()

    /// 10^0 … 10^22, each exact as a double.
    static let double: [Double] = {
        var table: [Double] = [1]
        for _ in 1...22 { table.append(table[table.count - 1] * 10) }
        return table
    }()

    /// The number of decimal digits of a 128-bit value (0 for zero).
    static func digitCount(_ value: UInt128) -> Int {
        if value == 0 { return 0 }
        // log10 of 2^bits (1233/4096 ≈ log10 2) gives the count or one less.
        let bits = 128 - value.leadingZeroBitCount
        let estimate = (bits * 1233) >> 12
        return estimate + (value >= uint128[estimate] ? 1 : 0)
    }
}
