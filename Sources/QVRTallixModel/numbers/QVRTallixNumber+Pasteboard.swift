import Foundation

/// The pasteboard operations of Part 1.3.
extension QVRTallixNumber {
    /// A number of the receiving class from the plain text on the general pasteboard, or none.
    ///
    /// Everything before the first digit or minus sign and after the last one is trimmed
    /// (``QVRPastedNumberText``, which also keeps the sign of "-$1.00" and the separator of ".5");
    /// the rest is read in the user's locale (grouping separators accepted). Text without a
    /// digit, or that does not read as a number, gives none.
    public class func tallixNumberFromPasteboard() -> Self? {
        guard let text = QVRGeneralPasteboard.general.string(forType: QVRPasteboardTypeString) else { return nil }
        return tallixNumber(fromPastedText: text)
    }

    /// The number that pasting `text` gives (see ``tallixNumberFromPasteboard()``).
    public class func tallixNumber(fromPastedText text: String) -> Self? {
        let parser = QVRTallixNumberFormatter(locale: QVRUserLocale.current)
        parser.numberStyle = .decimal
        parser.isLenient = true
        parser.maximumFractionDigits = 100
        parser.maximumSignificantDigits = 100
        parser.generatesDecimalNumbers = true
        guard let trimmed = QVRPastedNumberText.trimmed(text, decimalSeparators: parser.parsedDecimalSeparators)
        else { return nil }
        do {
            guard let value = try parser.parsedNumber(from: trimmed) else { return nil }
            return Self(number: value)
        } catch {
            QVRLogger.logException(error, descriptionFormat: "Creating number from pasteboard")
            return nil
        }
    }

    /// Puts the number's ``editString`` on the general pasteboard as plain text.
    public func writeToPasteboard() {
        let pasteboard = QVRGeneralPasteboard.general
        pasteboard.declareTypes([QVRPasteboardTypeString], owner: self)
        pasteboard.setString(editString, forType: QVRPasteboardTypeString)
    }
}
