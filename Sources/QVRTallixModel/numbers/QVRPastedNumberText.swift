import Foundation

/// The part of pasted text that is read as a number (Part 1.3, `tallixNumberFromPasteboard`).
///
/// As the Part says, everything before the first digit or minus sign and after the last one is
/// trimmed (currency symbols, letters, spaces, a trailing separator). Two leniencies keep the
/// calculator's own output pasting back as the same value instead of as none or as a wrong one:
/// - a minus sign separated from the digits by a currency prefix still makes the number
///   negative: "-$1,234.50", "-¥5", "-ج.م.‏1.00" (only currency symbols, letters, ".", format
///   characters and no-break spaces may stand between);
/// - a decimal separator right before the first digit is kept: ".5" is a half, not 5.
/// "−" (U+2212), which locales such as sv_SE write, counts as a minus sign like "-".
enum QVRPastedNumberText {
    /// The text to parse, or none when `text` holds no digit.
    static func trimmed(_ text: String, decimalSeparators: [String]) -> String? {
        let scalars = Array(text.unicodeScalars)
        guard let firstDigit = scalars.firstIndex(where: isDigit) else { return nil }
        guard let last = scalars.lastIndex(where: { isDigit($0) || isMinus($0) }) else { return nil }
        var start = firstDigit
        for separator in decimalSeparators {
            let separatorScalars = Array(separator.unicodeScalars)
            let from = firstDigit - separatorScalars.count
            if !separatorScalars.isEmpty, from >= 0, Array(scalars[from..<firstDigit]) == separatorScalars {
                start = from
                break
            }
        }
        var index = start - 1
        while index >= 0, isCurrencyPrefix(scalars[index]) { index -= 1 }
        let body = String(String.UnicodeScalarView(scalars[start...last]))
        if index >= 0, isMinus(scalars[index]), !scalars[..<index].contains(where: isMinus) { return "-" + body }
        // Otherwise the plain trimming: from the first digit or minus sign.
        if let firstMinus = scalars[..<start].firstIndex(where: isMinus) {
            return String(String.UnicodeScalarView(scalars[firstMinus...last]))
        }
        return body
    }

    static func isDigit(_ scalar: Unicode.Scalar) -> Bool {
        scalar.properties.numericType == .decimal
    }

    static func isMinus(_ scalar: Unicode.Scalar) -> Bool {
        scalar == "-" || scalar == "\u{2212}"
    }

    /// Whether `scalar` may stand in a currency prefix between a minus sign and the digits.
    static func isCurrencyPrefix(_ scalar: Unicode.Scalar) -> Bool {
        switch scalar.properties.generalCategory {
        case .currencySymbol, .format, .nonspacingMark, .uppercaseLetter, .lowercaseLetter, .otherLetter,
            .modifierLetter, .titlecaseLetter:
            return true
        default:
            return scalar == "." || scalar == "\u{00A0}" || scalar == "\u{202F}"
        }
    }
}
