import Foundation

/// The number formatter of Part 1.3: the settings of Foundation's `NumberFormatter` that the
/// library uses (style, significant digits, not-a-number and exponent symbols, currency symbol,
/// rounding mode, locale, lenient parsing), applied to the decimal digits themselves.
///
/// Foundation's formatter formats a decimal through a double on Linux, which would round
/// currency amounts such as 1.005 on the binary value; this one never leaves the decimal.
/// It writes ASCII digits and the locale's separators, grouping, minus sign and currency
/// pattern as Foundation reports them.
public final class QVRTallixNumberFormatter: @unchecked Sendable {
    public enum Style: Sendable {
        case none, decimal, scientific, currency
    }

    public var numberStyle: Style = .none
    public var usesSignificantDigits = false
    public var maximumSignificantDigits = 6
    /// Used by the decimal style without significant digits.
    public var maximumFractionDigits = 3
    public var notANumberSymbol = "NaN"
    public var exponentSymbol: String
    /// The currency sign; setting none restores the default one (``defaultCurrencySymbol``).
    public var currencySymbol: String? {
        get { currencySymbolOverride ?? defaultCurrencySymbol ?? symbols.currencySymbol }
        set { currencySymbolOverride = newValue }
    }
    /// The sign that ``currencySymbol`` falls back to when set to none; none: the locale's own for
    /// ``currencyCode``. A formatter that writes ASCII digits for a user whose locale writes other
    /// ones keeps the user's own sign here (``QVRTallixNumber/simpleDigitNumberFormatter()``).
    /// Setting ``locale`` clears it.
    public var defaultCurrencySymbol: String?
    /// The currency; setting it makes the fraction digits follow it.
    public var currencyCode: String {
        didSet { symbols = QVRTallixLocaleSymbols.symbols(for: locale, currencyCode: currencyCode) }
    }
    public var roundingMode: QVRTallixRoundingMode = .bankers
    public var isLenient = false
    public var generatesDecimalNumbers = false
    public var locale: Locale {
        didSet {
            symbols = QVRTallixLocaleSymbols.symbols(for: locale)
            exponentSymbol = symbols.exponentSymbol
            currencyCode = symbols.currencyCode
            defaultCurrencySymbol = nil
        }
    }

    private var symbols: QVRTallixLocaleSymbols
    private var currencySymbolOverride: String?

    /// A formatter with the platform's defaults in `locale`.
    public init(locale: Locale) {
        self.locale = locale
        let symbols = QVRTallixLocaleSymbols.symbols(for: locale)
        self.symbols = symbols
        self.exponentSymbol = symbols.exponentSymbol
        self.currencyCode = symbols.currencyCode
    }

    /// Whether the locale writes the digit 1 as "1".
    public var localeWritesASCIIDigits: Bool { symbols.writesASCIIDigits }
    public var decimalSeparator: String { symbols.decimalSeparator }
    public var groupingSeparator: String { symbols.groupingSeparator }

    // MARK: - Formatting

    /// The text of `number` in the configured style; not-a-number gives ``notANumberSymbol``.
    public func string(from number: QVRTallixDecimal) -> String {
        if number.isNaN { return notANumberSymbol }
        switch numberStyle {
        case .none:
            return decimalText(number.rounded(scale: 0, mode: roundingMode), grouping: false)
        case .decimal:
            let rounded =
                usesSignificantDigits
                ? Self.roundedToSignificantDigits(number, maximumSignificantDigits, mode: roundingMode)
                : number.rounded(scale: maximumFractionDigits, mode: roundingMode)
            return decimalText(rounded, grouping: true)
        case .scientific:
            return scientificText(number)
        case .currency:
            return currencyText(number)
        }
    }

    private func decimalText(_ value: QVRTallixDecimal, grouping: Bool, minimumFractionDigits: Int = 0) -> String {
        let digits = QVRDecimalDigits.ascii(value.mantissa)
        var integerDigits: ArraySlice<UInt8>
        var fractionDigits: [UInt8]
        if value.exponent >= 0 {
            integerDigits = ArraySlice(
                value.mantissa == 0 ? digits : digits + [UInt8](repeating: 48, count: value.exponent))
            fractionDigits = []
        } else {
            let fraction = -value.exponent
            if digits.count > fraction {
                integerDigits = digits[..<(digits.count - fraction)]
                fractionDigits = Array(digits[(digits.count - fraction)...])
            } else {
                integerDigits = [48]
                fractionDigits = [UInt8](repeating: 48, count: fraction - digits.count) + digits
            }
        }
        while fractionDigits.count > minimumFractionDigits, fractionDigits.last == 48 { fractionDigits.removeLast() }
        while fractionDigits.count < minimumFractionDigits { fractionDigits.append(48) }
        var text = value.isNegative && value.mantissa != 0 ? symbols.minusSign : ""
        text += grouped(integerDigits, grouping: grouping)
        if !fractionDigits.isEmpty {
            text += symbols.decimalSeparator
            text += String(decoding: fractionDigits, as: UTF8.self)
        }
        return text
    }

    private func grouped(_ digits: ArraySlice<UInt8>, grouping: Bool) -> String {
        let size = symbols.groupingSize
        guard grouping, size > 0, digits.count > size, digits.count > size + 1 || symbols.groupsFourDigits else {
            return String(decoding: digits, as: UTF8.self)
        }
        var text = ""
        var index = digits.startIndex
        let firstGroup = digits.count % size == 0 ? size : digits.count % size
        text += String(decoding: digits[index..<(index + firstGroup)], as: UTF8.self)
        index += firstGroup
        while index < digits.endIndex {
            text += symbols.groupingSeparator
            text += String(decoding: digits[index..<(index + size)], as: UTF8.self)
            index += size
        }
        return text
    }

    private func scientificText(_ number: QVRTallixDecimal) -> String {
        if number.mantissa == 0 { return "0" + exponentSymbol + "0" }
        let maximum = usesSignificantDigits ? max(maximumSignificantDigits, 1) : 6
        let rounded = Self.roundedToSignificantDigits(number, maximum, mode: roundingMode)
        var digits = QVRDecimalDigits.ascii(rounded.mantissa)
        let power = digits.count - 1 + rounded.exponent
        while digits.count > 1, digits.last == 48 { digits.removeLast() }
        var text = number.isNegative ? symbols.minusSign : ""
        text += String(decoding: digits[..<1], as: UTF8.self)
        if digits.count > 1 {
            text += symbols.decimalSeparator
            text += String(decoding: digits[1...], as: UTF8.self)
        }
        text += exponentSymbol
        text += power < 0 ? symbols.minusSign + String(-power) : String(power)
        return text
    }

    private func currencyText(_ number: QVRTallixDecimal) -> String {
        let fractionDigits = symbols.currencyFractionDigits
        let rounded = number.rounded(scale: fractionDigits, mode: roundingMode)
        let amount = decimalText(rounded.magnitude, grouping: true, minimumFractionDigits: fractionDigits)
        let sign = currencySymbol ?? ""
        if rounded.isNegative {
            let prefix = symbols.currencyNegativePrefix.replacingOccurrences(of: "-", with: symbols.minusSign)
            let suffix = symbols.currencyNegativeSuffix.replacingOccurrences(of: "-", with: symbols.minusSign)
            return prefix.replacingOccurrences(of: "¤", with: sign) + amount
                + suffix.replacingOccurrences(of: "¤", with: sign)
        }
        return symbols.currencyPositivePrefix.replacingOccurrences(of: "¤", with: sign) + amount
            + symbols.currencyPositiveSuffix.replacingOccurrences(of: "¤", with: sign)
    }

    /// The value rounded to at most `digits` significant digits.
    static func roundedToSignificantDigits(_ value: QVRTallixDecimal, _ digits: Int, mode: QVRTallixRoundingMode)
        -> QVRTallixDecimal
    {
        let count = QVRPowersOfTen.digitCount(value.mantissa)
        guard count > digits, digits > 0 else { return value }
        let drop = count - digits
        let kept = QVRTallixDecimal.droppingDigits(value.mantissa, count: drop, mode: mode, negative: value.isNegative)
        return QVRTallixDecimal.compacted(
            negative: value.isNegative, mantissa: kept.mantissa, exponent: value.exponent + drop + kept.extraExponent)
    }

    // MARK: - Parsing

    /// The longest text the parser reads; a longer one raises (a pasted document is no number).
    public static let maximumParsedLength = 10_000

    /// ``number(from:)``, raising for text longer than ``maximumParsedLength`` characters.
    public func parsedNumber(from text: String) throws -> QVRTallixDecimal? {
        guard text.utf8.count <= Self.maximumParsedLength else {
            throw QVRException.invalidArgument("text of \(text.utf8.count) bytes is too long to be a number")
        }
        return number(from: text)
    }

    /// The decimal value of `text` in the formatter's locale: an optional minus sign, digits
    /// (any script's decimal digits), the locale's grouping separators within the integer part
    /// and at most one decimal separator. None when anything else is met, when there is no
    /// digit, or when the value does not fit the decimal type.
    ///
    /// A lenient formatter also takes "." for "," and the reverse as grouping separators, and,
    /// in a locale whose separators are not ASCII (ar_EG writes "٫" and "٬"), "." as the decimal
    /// and "," as the grouping separator: the calculator writes those for such a locale.
    public func number(from text: String) -> QVRTallixDecimal? {
        var normalized: [UInt8] = []
        var sawDigit = false
        var sawSeparator = false
        let decimalSeparators = parsedDecimalSeparators.map { Array($0.unicodeScalars) }
        let groupingSeparators = Set(groupingScalars())
        let scalars = Array(text.unicodeScalars)
        var index = 0
        if index < scalars.count, ["-", "\u{2212}"].contains(scalars[index]) {
            normalized.append(UInt8(ascii: "-"))
            index += 1
        }
        while index < scalars.count {
            let scalar = scalars[index]
            if let digit = Self.decimalDigitValue(scalar) {
                normalized.append(UInt8(ascii: "0") + UInt8(digit))
                sawDigit = true
                index += 1
            } else if !sawSeparator,
                let decimalSeparator = decimalSeparators.first(where: { matches($0, in: scalars, at: index) })
            {
                normalized.append(UInt8(ascii: "."))
                sawSeparator = true
                index += decimalSeparator.count
            } else if !sawSeparator, sawDigit, groupingSeparators.contains(scalar) {
                index += 1
            } else {
                return nil
            }
        }
        guard sawDigit else { return nil }
        return QVRTallixDecimal(string: String(decoding: normalized, as: UTF8.self), requiresWholeText: true)
    }

    /// The decimal separators that ``number(from:)`` reads: the locale's, and "." as well when
    /// lenient in a locale whose separator is not ASCII.
    public var parsedDecimalSeparators: [String] {
        if isLenient, !symbols.decimalSeparator.allSatisfy(\.isASCII) { return [symbols.decimalSeparator, "."] }
        return [symbols.decimalSeparator]
    }

    private func groupingScalars() -> [Unicode.Scalar] {
        var scalars = Array(symbols.groupingSeparator.unicodeScalars)
        if scalars.contains(where: { $0.properties.isWhitespace }) {
            scalars += [" ", "\u{00A0}", "\u{202F}"]
        }
        if isLenient, symbols.decimalSeparator == "," { scalars.append(".") }
        if isLenient, symbols.decimalSeparator == "." { scalars.append(",") }
        if isLenient, !symbols.decimalSeparator.allSatisfy(\.isASCII) { scalars.append(",") }
        return scalars
    }

    private func matches(_ separator: [Unicode.Scalar], in scalars: [Unicode.Scalar], at index: Int) -> Bool {
        guard !separator.isEmpty, index + separator.count <= scalars.count else { return false }
        for offset in 0..<separator.count where scalars[index + offset] != separator[offset] {
            return false
        }
        return true
    }

    /// The value of a decimal digit of any script ("7", "٧", "۷", …).
    static func decimalDigitValue(_ scalar: Unicode.Scalar) -> Int? {
        if scalar.value >= 48, scalar.value <= 57 { return Int(scalar.value - 48) }
        guard scalar.properties.numericType == .decimal, let value = scalar.properties.numericValue,
            value >= 0, value <= 9
        else { return nil }
        return Int(value)
    }
}
