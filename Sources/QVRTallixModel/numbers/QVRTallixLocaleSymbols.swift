import Foundation

/// The number symbols and patterns of one locale (and currency), read once from Foundation's
/// number formatter and kept: the formatter of ``QVRTallixNumberFormatter`` then works on the
/// decimal digits themselves (Foundation's formatter goes through a double on Linux).
struct QVRTallixLocaleSymbols: Sendable {
    var decimalSeparator: String
    var groupingSeparator: String
    var groupingSize: Int
    /// Whether an integer part of four digits is grouped: es_ES and pl_PL write 1234 but 12.345.
    var groupsFourDigits: Bool
    var minusSign: String
    var exponentSymbol: String
    var currencySymbol: String
    var currencyCode: String
    var currencyFractionDigits: Int
    /// Text before and after the amount of a positive currency amount, "¤" standing for the symbol.
    var currencyPositivePrefix: String
    var currencyPositiveSuffix: String
    /// The same for a negative amount, "-" standing for the minus sign.
    var currencyNegativePrefix: String
    var currencyNegativeSuffix: String
    /// Whether the locale writes the integer 1 as the ASCII "1".
    var writesASCIIDigits: Bool

    private static let cache = QVRLockedValue<[String: QVRTallixLocaleSymbols]>([:])

    /// The symbols of `locale`; with `currencyCode`, currency digits follow that currency.
    static func symbols(for locale: Locale, currencyCode: String? = nil) -> QVRTallixLocaleSymbols {
        let key = locale.identifier + "|" + (currencyCode ?? "")
        if let cached = cache.withLock({ $0[key] }) { return cached }
        let made = read(locale: locale, currencyCode: currencyCode)
        cache.withLock { $0[key] = made }
        return made
    }

    private static func read(locale: Locale, currencyCode: String?) -> QVRTallixLocaleSymbols {
        let decimal = NumberFormatter()
        decimal.locale = locale
        decimal.numberStyle = .decimal
        let currency = NumberFormatter()
        currency.locale = locale
        currency.numberStyle = .currency
        if let currencyCode, !currencyCode.isEmpty { currency.currencyCode = currencyCode }
        let plain = NumberFormatter()
        plain.locale = locale
        let positive = Self.affixes(of: currency.positiveFormat ?? "¤#,##0.00")
        let negativeFormat = currency.negativeFormat ?? ""
        let negative: (prefix: String, suffix: String)
        if negativeFormat.contains("-") {
            negative = Self.affixes(of: negativeFormat)
        } else {
            negative = ("-" + positive.prefix, positive.suffix)
        }
        let grouping = decimal.groupingSize
        return QVRTallixLocaleSymbols(
            decimalSeparator: nonEmpty(decimal.decimalSeparator, "."),
            groupingSeparator: decimal.groupingSeparator ?? ",",
            groupingSize: grouping > 0 ? grouping : 3,
            groupsFourDigits: decimal.string(from: 1234).map { $0.unicodeScalars.count > 4 } ?? true,
            minusSign: nonEmpty(decimal.minusSign, "-"),
            exponentSymbol: nonEmpty(decimal.exponentSymbol, "E"),
            currencySymbol: currency.currencySymbol ?? "¤",
            currencyCode: currency.currencyCode ?? "",
            currencyFractionDigits: fractionDigits(of: currency),
            currencyPositivePrefix: positive.prefix,
            currencyPositiveSuffix: positive.suffix,
            currencyNegativePrefix: negative.prefix,
            currencyNegativeSuffix: negative.suffix,
            writesASCIIDigits: plain.string(from: 1) == "1")
    }

    /// The fraction digits of the formatter's currency, counted in what it writes for 1.125:
    /// Linux's `maximumFractionDigits` answers 2 for every currency, while the yen has none and
    /// the Kuwaiti dinar three.
    static func fractionDigits(of currencyFormatter: NumberFormatter) -> Int {
        guard let text = currencyFormatter.string(from: 1.125) else {
            return max(0, min(currencyFormatter.maximumFractionDigits, 10))
        }
        let digits = text.unicodeScalars.filter { $0.properties.numericType == .decimal }.count
        return max(0, min(digits - 1, 10))
    }

    private static func nonEmpty(_ text: String?, _ fallback: String) -> String {
        guard let text, !text.isEmpty else { return fallback }
        return text
    }

    /// Splits a pattern such as "¤#,##0.00" or "#,##0.00 ¤" into the text before and after the
    /// number part.
    static func affixes(of pattern: String) -> (prefix: String, suffix: String) {
        let numberCharacters: Set<Character> = ["#", "0", ",", "."]
        guard let first = pattern.firstIndex(where: { numberCharacters.contains($0) }),
            let last = pattern.lastIndex(where: { numberCharacters.contains($0) })
        else { return ("¤", "") }
        return (String(pattern[..<first]), String(pattern[pattern.index(after: last)...]))
    }
}
