/// Reads one decimal number from the start of a text (see `QVRTallixDecimal(string:)`).
struct QVRDecimalScanner {
    private let scalars: [Unicode.Scalar]
    private let separator: [Unicode.Scalar]
    private var index = 0

    init(text: String, decimalSeparator: String) {
        scalars = Array(text.unicodeScalars)
        separator = Array(decimalSeparator.unicodeScalars)
    }

    var isAtEnd: Bool { index >= scalars.count }

    mutating func scanNumber() -> QVRTallixDecimal? {
        while index < scalars.count, scalars[index].properties.isWhitespace { index += 1 }
        var negative = false
        if index < scalars.count, scalars[index] == "-" || scalars[index] == "+" {
            negative = scalars[index] == "-"
            index += 1
        }
        var mantissa: UInt128 = 0
        var exponent = 0
        var sawDigit = false
        var firstDroppedDigit: Int?
        let limit = UInt128.max / 10 - 9
        var inFraction = false
        while index < scalars.count {
            let scalar = scalars[index]
            if let digit = Self.digitValue(scalar) {
                sawDigit = true
                if mantissa <= limit {
                    if mantissa != 0 || digit != 0 || inFraction {
                        mantissa = mantissa * 10 + UInt128(digit)
                        if inFraction { exponent -= 1 }
                    }
                } else {
                    if firstDroppedDigit == nil { firstDroppedDigit = digit }
                    if !inFraction { exponent += 1 }
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
        if index < scalars.count, scalars[index] == "e" || scalars[index] == "E" {
            var probe = index + 1
            var exponentNegative = false
            if probe < scalars.count, scalars[probe] == "-" || scalars[probe] == "+" {
                exponentNegative = scalars[probe] == "-"
                probe += 1
            }
            var value = 0
            var sawExponentDigit = false
            while probe < scalars.count, let digit = Self.digitValue(scalars[probe]) {
                sawExponentDigit = true
                if value < 100_000 { value = value * 10 + digit }
                probe += 1
            }
            if sawExponentDigit {
                exponent += exponentNegative ? -value : value
                index = probe
            }
        }
        if let digit = firstDroppedDigit, digit >= 5 { mantissa += 1 }
        do {
            return try QVRTallixDecimal(negative: negative, mantissa: mantissa, exponent: exponent)
        } catch .underflow {
            return .zero
        } catch {
            return nil
        }
    }

    private func matchesSeparator() -> Bool {
        guard index + separator.count <= scalars.count else { return false }
        for offset in 0..<separator.count where scalars[index + offset] != separator[offset] {
            return false
        }
        return true
    }

    private static func digitValue(_ scalar: Unicode.Scalar) -> Int? {
        let value = scalar.value
        guard value >= 48, value <= 57 else { return nil }
        return Int(value - 48)
    }
}
