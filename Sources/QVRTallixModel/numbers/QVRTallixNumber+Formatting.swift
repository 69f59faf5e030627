import Foundation

/// The text forms of Part 1.3.
extension QVRTallixNumber {
    /// A new formatter with the platform defaults in the user's locale; when that locale writes
    /// other digits than the ASCII ones, the formatter's locale becomes "en" and it keeps the
    /// user's currency code and symbol (the symbol as its default one, so that the currency
    /// style, which sets the symbol to none on every call, still writes the user's sign).
    public class func simpleDigitNumberFormatter() -> QVRTallixNumberFormatter {
        let userLocale = QVRUserLocale.current
        let formatter = QVRTallixNumberFormatter(locale: userLocale)
        if !formatter.localeWritesASCIIDigits {
            let userCurrencyCode = formatter.currencyCode
            let userCurrencySymbol = formatter.currencySymbol
            formatter.locale = Locale(identifier: "en")
            formatter.currencyCode = userCurrencyCode
            formatter.defaultCurrencySymbol = userCurrencySymbol
        }
        return formatter
    }

    /// The standard style with at most `maximumSignificantDigits` digits (Part 1.3, Algorithms).
    public class func scientificFormattedDecimalNumber(
        _ number: QVRTallixDecimal?, maximumSignificantDigits maximum: UInt
    ) -> String {
        let value = number ?? .zero
        let d = value.doubleValue
        if d == 0 { return "0" }
        let m = Int(min(maximum, 100))
        let a = abs(d)
        let style: QVRTallixNumberFormatter.Style
        var digits = m
        if a >= 1 {
            if a >= Foundation.pow(10.0, Double(m)) {
                style = .scientific
            } else {
                style = .decimal
                if a < 1e12 {
                    digits = min(m, 12)
                } else if a < 1e13 {
                    digits = min(m, 13)
                } else if a < 1e14 {
                    digits = min(m, 14)
                }
            }
        } else {
            let threshold = Foundation.pow(10.0, -Double(min(m, 8)))
            style = a < threshold ? .scientific : .decimal
        }
        return QVRTallixSharedNumberFormatters.shared.withNumberFormatter { formatter in
            formatter.numberStyle = style
            formatter.maximumSignificantDigits = digits
            return formatter.string(from: value)
        }
    }

    /// The standard style with 15 significant digits.
    public class func scientificFormattedDecimalNumber(_ number: QVRTallixDecimal?) -> String {
        scientificFormattedDecimalNumber(number, maximumSignificantDigits: 15)
    }

    /// The currency style with the sign `currencySymbol` (none: the locale's own); amounts of
    /// 10^13 and more fall back to the standard style.
    public class func currencyFormattedDecimalNumber(_ number: QVRTallixDecimal?, currencySymbol: String?) -> String {
        let value = number ?? .zero
        if abs(value.doubleValue) >= 1e13 {
            return scientificFormattedDecimalNumber(value)
        }
        return QVRTallixSharedNumberFormatters.shared.withCurrencyFormatter { formatter in
            formatter.currencySymbol = currencySymbol
            return formatter.string(from: value)
        }
    }

    /// The text shown for the number in the mode of the settings (currency mode or not).
    public var formattedString: String {
        formattedStringWithMode(QVRTallixSettings.sharedSettings.currencyMode ? 1 : 0)
    }

    /// Mode 0: the standard style; mode 1: the currency style without a symbol of its own.
    public func formattedStringWithMode(_ mode: UInt) -> String {
        if mode == 1 {
            return type(of: self).currencyFormattedDecimalNumber(decimalNumber, currencySymbol: nil)
        }
        return type(of: self).scientificFormattedDecimalNumber(decimalNumber)
    }
}
