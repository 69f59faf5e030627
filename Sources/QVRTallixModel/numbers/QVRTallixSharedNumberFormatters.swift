import Foundation

/// The two formatters of Part 1.3, made once per environment (each on first use) and used under
/// a lock, since every call reconfigures them.
final class QVRTallixSharedNumberFormatters: @unchecked Sendable {
    private let lock = NSLock()
    private var standard: QVRTallixNumberFormatter?
    private var currency: QVRTallixNumberFormatter?

    static var shared: QVRTallixSharedNumberFormatters {
        QVREnvironment.current.sharedInstance("QVRTallixNumber.formatters") { QVRTallixSharedNumberFormatters() }
    }

    /// Runs `body` with the standard formatter (`numberFormatter`), made if needed.
    func withNumberFormatter<Result>(_ body: (QVRTallixNumberFormatter) -> Result) -> Result {
        lock.lock()
        defer { lock.unlock() }
        let formatter = standard ?? makeNumberFormatter()
        standard = formatter
        return body(formatter)
    }

    /// Runs `body` with the currency formatter (`currencyFormatter`), made if needed.
    func withCurrencyFormatter<Result>(_ body: (QVRTallixNumberFormatter) -> Result) -> Result {
        lock.lock()
        defer { lock.unlock() }
        let formatter = currency ?? makeCurrencyFormatter()
        currency = formatter
        return body(formatter)
    }

    private func makeNumberFormatter() -> QVRTallixNumberFormatter {
        let formatter = QVRTallixNumber.simpleDigitNumberFormatter()
        formatter.usesSignificantDigits = true
        formatter.notANumberSymbol = QVRLocalization.localizedString("Error")
        if formatter.exponentSymbol == "E" { formatter.exponentSymbol = "e" }
        return formatter
    }

    private func makeCurrencyFormatter() -> QVRTallixNumberFormatter {
        let formatter = QVRTallixNumber.simpleDigitNumberFormatter()
        formatter.numberStyle = .currency
        formatter.notANumberSymbol = QVRLocalization.localizedString("Error")
        formatter.roundingMode = .plain
        return formatter
    }
}
