import Foundation

extension Data {
    /// The standard CRC-32 (IEEE 802.3: reflected polynomial 0xEDB88320, initial value and final
    /// XOR 0xFFFFFFFF) of the bytes; "123456789" gives 0xCBF43926.
    public func crc32() -> UInt32 {
        var crc: UInt32 = 0xFFFF_FFFF
        let table = QVRCRC32Table.entries
        for byte in self {
            crc = table[Int((crc ^ UInt32(byte)) & 0xFF)] ^ (crc >> 8)
        }
        return crc ^ 0xFFFF_FFFF
    }
}

/// The 256 entries of the CRC-32 lookup table, computed once.
enum QVRCRC32Table {
    static let entries: [UInt32] = (0..<256).map { index in
        var value = UInt32(index)
        for _ in 0..<8 {
            value = (value & 1) != 0 ? (0xEDB8_8320 ^ (value >> 1)) : (value >> 1)
        }
        return value
    }
}
