import Foundation

extension QVRTallixDecimal {
    /// Reads decimal text the way Foundation's decimal-from-text conversion does: leading blanks
    /// are skipped, then an optional sign, digits with at most one `decimalSeparator`, and an
    /// optional exponent ("e" or "E", optional sign, digits) are read; reading stops at the first
    /// character that does not fit. Digits beyond the mantissa's width are rounded (plain).
    /// None when no digit was read or the value is too large; a value too small reads as zero.
    /// With `requiresWholeText`, anything left after the number makes it none.
    public init?(string text: String, decimalSeparator: String = ".", requiresWholeText: Bool = false) {
        var scanner = QVRDecimalScanner(text: text, decimalSeparator: decimalSeparator)
        guard let parsed = scanner.scanNumber() else { return nil }
        if requiresWholeText, !scanner.isAtEnd { return nil }
        self = parsed
    }

    /// The decimal of a double, through its shortest round-trip text: the value that the double
    /// prints as (0.1 gives exactly 0.1), rounded to the mantissa's width. Not-a-number for NaN
    /// and the infinities and for doubles beyond the decimal's range (above about 3.4 × 10^165);
    /// zero for doubles too small for it.
    public init(double: Double) {
        guard double.isFinite else {
            self = .nan
            return
        }
        if double == 0 {
            self = .zero
            return
        }
        self = QVRTallixDecimal(string: double.description) ?? .nan
    }

    /// The nearest double (0 for zero, NaN for not-a-number).
    public var doubleValue: Double {
        if isNaN { return .nan }
        if mantissa == 0 { return 0 }
        let sign: Double = isNegative ? -1 : 1
        if mantissa < (1 << 53), exponent >= -22, exponent <= 22 {
            let significand = Double(mantissa)
            let result =
                exponent >= 0
                ? significand * QVRPowersOfTen.double[exponent]
                : significand / QVRPowersOfTen.double[-exponent]
            return sign * result
        }
        // Correctly rounded through the C library's strtod, on the digits and exponent as ASCII.
        var text = QVRDecimalDigits.ascii(mantissa).map { CChar(bitPattern: $0) }
        text.append(CChar(UInt8(ascii: "e")))
        text += String(exponent).utf8.map { CChar(bitPattern: $0) }
        text.append(0)
        return sign * text.withUnsafeBufferPointer { buffer in buffer.baseAddress.map { strtod($0, nil) } ?? .nan }
    }

    /// Foundation's decimal of the same value (for callers that need the platform type).
    public var foundationDecimal: Decimal {
        isNaN ? Decimal.nan : (Decimal(string: description, locale: Locale(identifier: "en_US_POSIX")) ?? .nan)
    }

    /// The value of a Foundation decimal.
    public init(_ decimal: Decimal) {
        if decimal.isNaN {
            self = .nan
        } else {
            self = QVRTallixDecimal(string: decimal.description) ?? .nan
        }
    }
}
