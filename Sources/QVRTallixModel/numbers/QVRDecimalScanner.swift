/// Reads one decimal number from the start of a text (see `QVRTallixDecimal(string:)`), byte by
/// byte over the text's UTF-8 form.
///
/// The significant digits are collected first and rounded once, plainly, when the exponent is
/// known: to the widest mantissa below 2^128 (38 or 39 digits), or further when the value's last
/// digit would lie below 10^−128. Rounding only once keeps texts such as 0.49999…95 × 10^−128
/// from rounding twice (first to 0.5, then up), and lets the largest value, (2^128 − 1) × 10^127,
/// read back from its own 39 digits.
struct QVRDecimalScanner {
    /// The most significant digits kept: the 39 of the widest mantissa and the digit that rounds it.
    private static let collectedDigitLimit = 40

    private let bytes: [UInt8]
    private let separator: [UInt8]
    private var index = 0

    init(text: String, decimalSeparator: String) {
        bytes = Array(text.utf8)
        separator = Array(decimalSeparator.utf8)
    }

    var isAtEnd: Bool { index >= bytes.count }

    mutating func scanNumber() -> QVRTallixDecimal? {
        skipWhitespace()
        var negative = false
        if index < bytes.count, bytes[index] == UInt8(ascii: "-") || bytes[index] == UInt8(ascii: "+") {
            negative = bytes[index] == UInt8(ascii: "-")
            index += 1
        }
        // The value read is digits × 10^exponent (plus the dropped digits after them).
        var digits: [UInt8] = []
        digits.reserveCapacity(Self.collectedDigitLimit)
        var exponent = 0
        var sawDigit = false
        var inFraction = false
        while index < bytes.count {
            let byte = bytes[index]
            if byte >= 48, byte <= 57 {
                let digit = byte - 48
                sawDigit = true
                if digits.isEmpty, digit == 0 {
                    // A leading zero: only its place counts, after the separator.
                    if inFraction { exponent -= 1 }
                } else if digits.count < Self.collectedDigitLimit {
                    digits.append(digit)
                    if inFraction { exponent -= 1 }
                } else if !inFraction {
                    exponent += 1
                }
                index += 1
            } else if !inFraction, !separator.isEmpty, matchesSeparator() {
                inFraction = true
                index += separator.count
            } else {
                break
            }
        }
        guard sawDigit else { return nil }
        scanExponent(into: &exponent)
        return Self.rounded(negative: negative, digits: digits, exponent: exponent)
    }

    /// digits × 10^exponent rounded once, plainly, to a mantissa below 2^128 whose exponent is at
    /// least −128; zero when it rounds to nothing, none when it is too large.
    private static func rounded(negative: Bool, digits: [UInt8], exponent: Int) -> QVRTallixDecimal? {
        if digits.isEmpty { return .zero }
        // At most 39 digits, and the last kept digit may not lie below 10^−128.
        var keep = min(digits.count, 39, exponent + digits.count - QVRTallixDecimal.minimumExponent)
        while true {
            guard keep > 0 else {
                // Everything lies below 10^−128: half of that unit or more rounds up to it.
                if keep == 0, digits[0] >= 5 {
                    return try? QVRTallixDecimal(negative: negative, mantissa: 1, exponent: exponent + digits.count)
                }
                return .zero
            }
            var mantissa: UInt128 = 0
            var fits = true
            for digit in digits[..<keep] {
                let (product, overflow) = mantissa.multipliedReportingOverflow(by: 10)
                let (sum, carry) = product.addingReportingOverflow(UInt128(digit))
                if overflow || carry {
                    fits = false
                    break
                }
                mantissa = sum
            }
            if fits, keep < digits.count, digits[keep] >= 5 {
                if mantissa == UInt128.max { fits = false } else { mantissa += 1 }
            }
            guard fits else {
                // 39 digits at or above 2^128: keep 38.
                keep -= 1
                continue
            }
            return try? QVRTallixDecimal(
                negative: negative, mantissa: mantissa, exponent: exponent + digits.count - keep)
        }
    }

    /// Reads "e" or "E", an optional sign and digits, when they follow; leaves a lone "e" unread.
    private mutating func scanExponent(into exponent: inout Int) {
        guard index < bytes.count, bytes[index] == UInt8(ascii: "e") || bytes[index] == UInt8(ascii: "E") else {
            return
        }
        var probe = index + 1
        var exponentNegative = false
        if probe < bytes.count, bytes[probe] == UInt8(ascii: "-") || bytes[probe] == UInt8(ascii: "+") {
            exponentNegative = bytes[probe] == UInt8(ascii: "-")
            probe += 1
        }
        var value = 0
        var sawExponentDigit = false
        while probe < bytes.count, bytes[probe] >= 48, bytes[probe] <= 57 {
            sawExponentDigit = true
            if value < 100_000 { value = value * 10 + Int(bytes[probe] - 48) }
            probe += 1
        }
        if sawExponentDigit {
            exponent += exponentNegative ? -value : value
            index = probe
        }
    }

    /// Skips leading blanks: ASCII spaces, tabs and line ends, and the other Unicode white space.
    private mutating func skipWhitespace() {
        while index < bytes.count {
            let byte = bytes[index]
            if byte == 32 || (byte >= 9 && byte <= 13) {
                index += 1
            } else if byte >= 0x80 {
                let rest = String(decoding: bytes[index...], as: UTF8.self)
                guard let scalar = rest.unicodeScalars.first, scalar.properties.isWhitespace else { return }
                index += String(scalar).utf8.count
            } else {
                return
            }
        }
    }

    private func matchesSeparator() -> Bool {
        guard index + separator.count <= bytes.count else { return false }
        for offset in 0..<separator.count where bytes[index + offset] != separator[offset] {
            return false
        }
        return true
    }
}
