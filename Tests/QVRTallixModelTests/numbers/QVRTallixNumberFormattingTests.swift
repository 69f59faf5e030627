import Foundation
import Testing

@testable import QVRTallixModel

/// Part 1.3: the standard and currency styles.
@Suite("Number formatting (Part 1.3)")
struct QVRTallixNumberFormattingTests {
    func standard(_ text: String, digits: UInt = 15) -> String {
        QVRTallixNumber.scientificFormattedDecimalNumber(decimal(text), maximumSignificantDigits: digits)
    }

    func currency(_ text: String, symbol: String? = nil) -> String {
        QVRTallixNumber.currencyFormattedDecimalNumber(decimal(text), currencySymbol: symbol)
    }

    /// Whether every digit of `text` is an ASCII digit.
    func hasOnlyASCIIDigits(_ text: String) -> Bool {
        text.unicodeScalars.allSatisfy { $0.properties.numericType != .decimal || $0.isASCII }
    }

    /// The currency symbol of a locale, as Foundation reports it.
    func foundationCurrencySymbol(_ identifier: String) -> String {
        let formatter = NumberFormatter()
        formatter.locale = Locale(identifier: identifier)
        formatter.numberStyle = .currency
        return formatter.currencySymbol ?? "?"
    }

    // MARK: - Edge cases of Part 1.3

    @Test("0 gives 0; 1 ÷ 3 gives 0.333333333333333; 4 ÷ 3 gives 1.33333333333; 10^15 a lower-case e")
    func basicCases() {
        withTestEnvironment { _ in
            #expect(number("0").formattedString == "0")
            #expect(number("1").divide(number("3")).formattedString == "0.333333333333333")
            #expect(number("4").divide(number("3")).formattedString == "1.33333333333")
            #expect(number("1e15").formattedString == "1e15")
            #expect(!number("1e15").formattedString.contains("E"))
        }
    }

    @Test("0.0000001 prints in decimal style; 0.000000001 in scientific notation")
    func smallNumbers() {
        withTestEnvironment { _ in
            #expect(number("0.0000001").formattedString == "0.0000001")
            #expect(number("0.000000001").formattedString == "1e-9")
            #expect(number("-0.000000001").formattedString == "-1e-9")
        }
    }

    @Test("twelve nines print all twelve digits with grouping; 13 and 15 digits print in full")
    func wholeNumbersInFull() {
        withTestEnvironment { _ in
            #expect(number("999999999999").formattedString == "999,999,999,999")
            #expect(number("1234567890123").formattedString == "1,234,567,890,123")
            #expect(number("123456789012345").formattedString == "123,456,789,012,345")
            #expect(number("999999999999999").formattedString == "999,999,999,999,999")
            #expect(number("-999999999999999").formattedString == "-999,999,999,999,999")
        }
    }

    @Test("not-a-number prints as Error in standard and in currency mode")
    func notANumber() {
        withTestEnvironment { _ in
            #expect(QVRTallixNumber.nan().formattedStringWithMode(0) == "Error")
            #expect(QVRTallixNumber.nan().formattedStringWithMode(1) == "Error")
            #expect(number("1").divide(number("0")).formattedString == "Error")
            QVRTallixSettings.sharedSettings.setCurrencyMode(true)
            #expect(QVRTallixNumber.nan().formattedString == "Error")
        }
    }

    @Test("not-a-number prints as its translation Fehler under a de_DE locale")
    func notANumberInGerman() {
        withTestEnvironment(locale: "de_DE") { _ in
            #expect(QVRTallixNumber.nan().formattedStringWithMode(0) == "Fehler")
            #expect(QVRTallixNumber.nan().formattedStringWithMode(1) == "Fehler")
        }
    }

    @Test("in currency mode under en_US, 0.125 prints as $0.13: two decimals, half-up on the decimal digits")
    func currencyHalfUp() {
        withTestEnvironment { _ in
            #expect(currency("0.125") == "$0.13")
            #expect(currency("1.005") == "$1.01")
            #expect(currency("-0.125") == "-$0.13")
            #expect(currency("2.675") == "$2.68")
            #expect(currency("0.135") == "$0.14")
            #expect(currency("0.124999999999999999999") == "$0.12")
            #expect(currency("0") == "$0.00")
            #expect(currency("1234567.891") == "$1,234,567.89")
            #expect(currency("-0.001") == "$0.00")
            QVRTallixSettings.sharedSettings.setCurrencyMode(true)
            #expect(number("0.125").formattedString == "$0.13")
            #expect(number("0.125").editString == "$0.13")
        }
    }

    @Test("in currency mode an amount of 10^13 or more falls back to the standard style")
    func currencyFallback() {
        withTestEnvironment { _ in
            #expect(currency("9999999999999.99") == "$9,999,999,999,999.99")
            #expect(currency("10000000000000") == "10,000,000,000,000")
            #expect(currency("-10000000000000") == "-10,000,000,000,000")
            #expect(currency("12345678901234.567") == "12,345,678,901,235")
            #expect(currency("1e20") == "1e20")
        }
    }

    @Test(
        "under locales whose digits are not ASCII, output uses ASCII digits and the user's own currency symbol",
        arguments: ["ar_EG", "fa_IR", "ar_SA"])
    func nonASCIIDigitLocales(_ identifier: String) {
        withTestEnvironment(locale: identifier) { _ in
            let symbol = foundationCurrencySymbol(identifier)
            for text in ["1234567.891", "-0.125", "1e15", "0.000000001", "4"] {
                let standardText = number(text).formattedStringWithMode(0)
                let currencyText = number(text).formattedStringWithMode(1)
                #expect(hasOnlyASCIIDigits(standardText), "\(standardText)")
                #expect(hasOnlyASCIIDigits(currencyText), "\(currencyText)")
                if text != "1e15" { #expect(currencyText.contains(symbol), "\(currencyText) lacks \(symbol)") }
            }
            #expect(number("1234567.891").formattedStringWithMode(0) == "1,234,567.891")
            #expect(QVRTallixNumber.currencyFormattedDecimalNumber(decimal("5"), currencySymbol: "X").hasPrefix("X5"))
        }
    }

    @Test("simpleDigitNumberFormatter writes 1 as 1, in the user's locale or else in en with the user's currency")
    func simpleDigitNumberFormatter() {
        withTestEnvironment(locale: "ar_EG") { _ in
            let formatter = QVRTallixNumber.simpleDigitNumberFormatter()
            #expect(formatter.string(from: .one) == "1")
            #expect(formatter.locale.identifier == "en")
            #expect(formatter.currencyCode == "EGP")
            #expect(formatter.currencySymbol == foundationCurrencySymbol("ar_EG"))
            formatter.currencySymbol = "E£"
            #expect(formatter.currencySymbol == "E£")
            formatter.currencySymbol = nil
            #expect(formatter.currencySymbol == foundationCurrencySymbol("ar_EG"))
        }
        withTestEnvironment(locale: "de_DE") { _ in
            let formatter = QVRTallixNumber.simpleDigitNumberFormatter()
            #expect(formatter.locale.identifier == "de_DE")
            #expect(formatter.currencyCode == "EUR")
            #expect(formatter.currencySymbol == "€")
        }
    }

    // MARK: - Thresholds and caps of the standard style

    @Test(
        "every threshold and cap of the standard style at and around its boundary",
        arguments: [
            // Below 10^12: 12 significant digits.
            ("999999999999", "999,999,999,999"),
            ("999999999999.4", "999,999,999,999"),
            ("99999999999.96", "100,000,000,000"),
            ("123456789.123456789", "123,456,789.123"),
            ("1.23456789012345", "1.23456789012"),
            // From 10^12: 13 digits.
            ("1000000000000", "1,000,000,000,000"),
            ("1000000000000.4", "1,000,000,000,000"),
            ("1234567890123.46", "1,234,567,890,123"),
            ("9999999999999.9", "10,000,000,000,000"),
            // From 10^13: 14 digits.
            ("10000000000000", "10,000,000,000,000"),
            ("12345678901234.6", "12,345,678,901,235"),
            ("99999999999999", "99,999,999,999,999"),
            // From 10^14: 15 digits.
            ("100000000000000", "100,000,000,000,000"),
            ("123456789012345.6", "123,456,789,012,346"),
            ("999999999999999", "999,999,999,999,999"),
            // From 10^15: scientific, 15 digits.
            ("1000000000000000", "1e15"),
            ("1234567890123456", "1.23456789012346e15"),
            ("-1234567890123456789", "-1.23456789012346e18"),
            ("340282366920938463463374607431768211455e127", "3.40282366920938e165"),
            // Below 1: 15 digits down to 10^-8, scientific below.
            ("0.999999999999999", "0.999999999999999"),
            ("0.1234567890123456", "0.123456789012346"),
            ("0.00000001", "0.00000001"),
            ("0.000000012345678901234567", "0.0000000123456789012346"),
            ("0.0000000099999", "9.9999e-9"),
            ("0.000000001234567890123456", "1.23456789012346e-9"),
            ("1e-128", "1e-128"),
        ])
    func standardThresholds(_ text: String, _ expected: String) {
        withTestEnvironment { _ in
            #expect(standard(text) == expected)
        }
    }

    @Test("the standard style with other maxima lowers the thresholds and caps with them")
    func otherMaxima() {
        withTestEnvironment { _ in
            #expect(standard("123456", digits: 5) == "1.2346e5")
            #expect(standard("99999", digits: 5) == "99,999")
            #expect(standard("1234.5678", digits: 5) == "1,234.6")
            #expect(standard("0.000123456", digits: 5) == "0.00012346")
            #expect(standard("0.00000123456", digits: 5) == "1.2346e-6")
            #expect(standard("0.00123456", digits: 5) == "0.0012346")
            #expect(standard("1e15", digits: 20) == "1,000,000,000,000,000")
            #expect(standard("12345", digits: 0) == "1e4")
            // The shared formatter is reconfigured on every call: nothing leaks between calls.
            #expect(standard("1234567.891") == "1,234,567.891")
            #expect(QVRTallixNumber.scientificFormattedDecimalNumber(decimal("1234567.891")) == "1,234,567.891")
            #expect(QVRTallixNumber.scientificFormattedDecimalNumber(nil) == "0")
        }
    }

    @Test("the decimal style uses the locale's separators: de_DE groups with . and separates with ,")
    func germanSeparators() {
        withTestEnvironment(locale: "de_DE") { _ in
            #expect(number("1234567.891").formattedString == "1.234.567,891")
            #expect(number("0.5").formattedString == "0,5")
            #expect(number("1.5e15").formattedString == "1,5e15")
            let amount = number("1234567.891").formattedStringWithMode(1)
            #expect(amount.hasPrefix("1.234.567,89"))
            #expect(amount.hasSuffix("€"))
            #expect(number("-0.125").formattedStringWithMode(1).hasPrefix("-0,13"))
        }
    }

    @Test("grouping follows the locale: es_ES leaves four-digit numbers ungrouped")
    func minimumGrouping() {
        withTestEnvironment(locale: "es_ES") { _ in
            #expect(number("1234").formattedString == "1234")
            #expect(number("12345").formattedString == "12.345")
            #expect(number("-1234.5").formattedString == "-1234,5")
        }
        withTestEnvironment { _ in
            #expect(number("1234").formattedString == "1,234")
        }
    }

    @Test("currency digits follow the currency: the yen has none")
    func currencyWithoutFractionDigits() {
        withTestEnvironment(locale: "ja_JP") { _ in
            #expect(number("1234.5").formattedStringWithMode(1) == "¥1,235")
            #expect(number("0.125").formattedStringWithMode(1) == "¥0")
        }
    }

    @Test("formattedString follows the settings' currency mode; editString of a plain number is formattedString")
    func modeFromSettings() {
        withTestEnvironment { _ in
            let value = number("1234.5")
            #expect(value.formattedString == "1,234.5")
            #expect(value.editString == "1,234.5")
            QVRTallixSettings.sharedSettings.setCurrencyMode(true)
            #expect(value.formattedString == "$1,234.50")
            #expect(value.editString == "$1,234.50")
            #expect(QVRTallixNumber().formattedStringWithMode(0) == "0")
        }
    }

    @Test("formatting never traps on extreme values")
    func extremeValues() throws {
        try withTestEnvironment { _ in
            let largest = try QVRTallixDecimal(negative: true, mantissa: UInt128.max, exponent: 127)
            let smallest = try QVRTallixDecimal(negative: false, mantissa: 1, exponent: -128)
            for value in [largest, largest.negated, smallest, smallest.negated, .nan, .zero] {
                for digits: UInt in [0, 1, 15, 38, 100, UInt.max] {
                    #expect(
                        !QVRTallixNumber.scientificFormattedDecimalNumber(value, maximumSignificantDigits: digits)
                            .isEmpty)
                }
                #expect(!QVRTallixNumber.currencyFormattedDecimalNumber(value, currencySymbol: nil).isEmpty)
            }
        }
    }
}
