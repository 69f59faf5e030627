/// Fast decimal digits of a 128-bit mantissa (the standard library's text form is slow for
/// 128-bit integers).
enum QVRDecimalDigits {
    private static let chunkPower: UInt128 = 10_000_000_000_000_000_000

    /// The ASCII digits of `value`, most significant first ("0" for zero).
    static func ascii(_ value: UInt128) -> [UInt8] {
        if value == 0 { return [UInt8(ascii: "0")] }
        if value <= UInt128(UInt64.max) { return ascii(UInt64(value), padTo: 0) }
        let (upper, lowest) = value.quotientAndRemainder(dividingBy: chunkPower)
        if upper <= UInt128(UInt64.max) {
            return ascii(UInt64(upper), padTo: 0) + ascii(UInt64(lowest), padTo: 19)
        }
        let (top, middle) = upper.quotientAndRemainder(dividingBy: chunkPower)
        return ascii(UInt64(top), padTo: 0) + ascii(UInt64(middle), padTo: 19) + ascii(UInt64(lowest), padTo: 19)
    }

    /// The ASCII digits of `value`, with leading zeros up to `width` digits.
    static func ascii(_ value: UInt64, padTo width: Int) -> [UInt8] {
        var buffer = [UInt8](repeating: UInt8(ascii: "0"), count: 20)
        var index = 20
        var rest = value
        repeat {
            index -= 1
            buffer[index] = UInt8(ascii: "0") + UInt8(rest % 10)
            rest /= 10
        } while rest != 0
        let start = min(index, 20 - width)
        return Array(buffer[start...])
    }
}
