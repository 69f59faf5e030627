import Foundation
import Testing

@testable import QVRTallixModel

/// Part 1.3: numbers to and from the pasteboard.
@Suite("Number pasteboard (Part 1.3)")
struct QVRTallixNumberPasteboardTests {
    func paste(_ text: String) -> QVRTallixDecimal? {
        let pasteboard = QVRGeneralPasteboard.general
        pasteboard.declareTypes([QVRPasteboardTypeString], owner: nil)
        pasteboard.setString(text, forType: QVRPasteboardTypeString)
        return QVRTallixNumber.tallixNumberFromPasteboard()?.decimalNumber
    }

    func pasteboardText() -> String? {
        QVRGeneralPasteboard.general.string(forType: QVRPasteboardTypeString)
    }

    // MARK: - Edge cases of Part 1.3

    @Test("pasting $1,234.50 USD under en_US gives one thousand two hundred thirty-four and a half")
    func pasteDollarAmount() {
        withTestEnvironment { _ in
            #expect(paste("$1,234.50 USD") == decimal("1234.5"))
        }
    }

    @Test("pasting abc gives no number")
    func pasteLetters() {
        withTestEnvironment { _ in
            #expect(paste("abc") == nil)
        }
    }

    @Test("pasting −12 gives −12, with the minus sign or the hyphen-minus")
    func pasteNegative() {
        withTestEnvironment { _ in
            #expect(paste("-12") == decimal("-12"))
            #expect(paste("\u{2212}12") == decimal("-12"))
            #expect(paste("Total: -12 EUR") == decimal("-12"))
        }
    }

    // MARK: - Writing

    @Test("writeToPasteboard puts the number as displayed: grouping, currency symbol, Error")
    func writeAsDisplayed() {
        withTestEnvironment { _ in
            number("1234.5").writeToPasteboard()
            #expect(pasteboardText() == "1,234.5")
            QVRTallixNumber.nan().writeToPasteboard()
            #expect(pasteboardText() == "Error")
            QVRTallixSettings.sharedSettings.setCurrencyMode(true)
            number("1234.5").writeToPasteboard()
            #expect(pasteboardText() == "$1,234.50")
        }
    }

    @Test("an editable number goes to the pasteboard as typed, with the locale's separator")
    func writeEditable() {
        withTestEnvironment(locale: "de_DE") { _ in
            QVRTallixEditableNumber(string: "-12345|5").writeToPasteboard()
            #expect(pasteboardText() == "-12345,5")
            #expect(QVRTallixNumber.tallixNumberFromPasteboard()?.decimalNumber == decimal("-12345.5"))
        }
    }

    @Test(
        "a copied number pastes back as itself under every locale, in both modes",
        arguments: ["en_US", "de_DE", "fr_FR", "sv_SE", "de_CH", "hi_IN", "he_IL", "ar_EG", "fa_IR", "ja_JP"])
    func copyThenPaste(_ identifier: String) {
        withTestEnvironment(locale: identifier) { _ in
            for text in ["-1234567.5", "0.25", "42", "-0.001", "999999999999"] {
                number(text).writeToPasteboard()
                #expect(
                    QVRTallixNumber.tallixNumberFromPasteboard()?.decimalNumber == decimal(text),
                    "\(identifier): \(text) copied as \(pasteboardText() ?? "nothing")")
            }
            QVRTallixSettings.sharedSettings.setCurrencyMode(true)
            number("-1234567.5").writeToPasteboard()
            let pasted = QVRTallixNumber.tallixNumberFromPasteboard()?.decimalNumber
            // The yen and the rial have no fraction digits: -1234567.5 shows as -¥1,234,568.
            #expect(
                pasted == decimal(["ja_JP", "fa_IR"].contains(identifier) ? "-1234568" : "-1234567.5"),
                "\(identifier): copied as \(pasteboardText() ?? "nothing")")
        }
    }

    @Test("a minus sign before a currency prefix keeps the number negative; a leading separator is kept")
    func pasteSignedCurrencyAndLeadingSeparator() {
        withTestEnvironment { _ in
            #expect(paste("-$1,234.50") == decimal("-1234.5"))
            #expect(paste("\u{2212}\u{20AC}\u{00A0}5") == decimal("-5"))
            #expect(paste("-USD 5") == nil)
            #expect(paste("Item-A: 5") == nil)
            #expect(paste(".5") == decimal("0.5"))
            #expect(paste("-.5") == decimal("-0.5"))
            #expect(paste("$.50") == decimal("0.5"))
            #expect(paste("5 - 3") == nil)
            #expect(paste("12-") == nil)
        }
        withTestEnvironment(locale: "ar_EG") { _ in
            #expect(paste("-\u{062C}.\u{0645}.\u{200F}1,234.50") == decimal("-1234.5"))
        }
        withTestEnvironment(locale: "de_DE") { _ in
            #expect(paste(",5") == decimal("0.5"))
            #expect(paste("-1.234,50\u{00A0}€") == decimal("-1234.5"))
        }
    }

    @Test("pasting makes a number of the receiving class")
    func pasteReceivingClass() {
        withTestEnvironment { _ in
            _ = paste("5")
            let editable = QVRTallixEditableNumber.tallixNumberFromPasteboard()
            #expect(editable.map { type(of: $0) == QVRTallixEditableNumber.self } == true)
            #expect(editable?.decimalNumber == decimal("5"))
        }
    }

    @Test("an empty pasteboard, or one without text, gives no number")
    func emptyPasteboard() {
        withTestEnvironment { _ in
            #expect(QVRTallixNumber.tallixNumberFromPasteboard() == nil)
            QVRGeneralPasteboard.general.declareTypes(["public.png"], owner: nil)
            QVRGeneralPasteboard.general.setData(Data([1, 2, 3]), forType: "public.png")
            #expect(QVRTallixNumber.tallixNumberFromPasteboard() == nil)
        }
    }

    // MARK: - Bad input

    @Test(
        "pasted text of any kind gives a number or none, never a crash",
        arguments: [
            ("", nil),
            (" ", nil),
            ("-", nil),
            ("\u{2212}", nil),
            ("--5", nil),
            (",,,.", nil),
            ("., ,.", nil),
            ("1,2,3", "123"),
            ("1.2.3", nil),
            ("١٢٣", "123"),
            ("۱۲۳٫۵", nil),
            ("1٢3", "123"),
            ("\u{200F}123\u{200F}", "123"),
            ("\u{202E}42\u{202C}", "42"),
            ("1\u{200F}23", nil),
            ("😀12😀", "12"),
            ("1️⃣", "1"),
            ("\u{0}12\u{0}", "12"),
            ("1\u{0}2", nil),
            ("12 apples and 3 pears", nil),
            ("0x1F", nil),
            ("1e5", nil),
            ("Infinity", nil),
            ("NaN", nil),
            ("٣٫١٤", nil),
            ("12.", "12"),
            (".5", "0.5"),
            ("0." + String(repeating: "0", count: 300) + "1", "0"),
            (String(repeating: "9", count: 200), nil),
            ("12\u{301}", "12"),
        ] as [(String, String?)])
    func anyText(_ text: String, _ expected: String?) {
        withTestEnvironment { _ in
            #expect(paste(text) == expected.map(decimal), "\(text.unicodeScalars.map { String($0.value, radix: 16) })")
        }
    }

    @Test("Arabic-Indic digits and separators read under an Arabic locale")
    func arabicLocale() {
        withTestEnvironment(locale: "ar_EG") { _ in
            #expect(paste("١٢٣٫٥") == decimal("123.5"))
            #expect(paste("\u{200F}١٬٢٣٤٫٥٠ ج.م.\u{200F}") == decimal("1234.5"))
            #expect(paste("\u{061C}-١٢") == decimal("-12"))
            #expect(paste("1,234.5") == decimal("1234.5"))
        }
        withTestEnvironment(locale: "fa_IR") { _ in
            #expect(paste("\u{200E}\u{2212}۱۲۳٫۵") == decimal("-123.5"))
        }
    }

    @Test("a megabyte of digits gives no number, and the failure is logged")
    func hugeText() {
        withTestEnvironment { env in
            #expect(paste(String(repeating: "7", count: 1_000_000)) == nil)
            #expect(env.loggedLines.contains { $0.hasPrefix("Creating number from pasteboard") })
            #expect(paste("$" + String(repeating: "1,000,", count: 200_000) + "5") == nil)
        }
    }

    @Test("seeded random text never crashes and gives none or a number")
    func randomText() {
        let alphabet: [Unicode.Scalar] = Array(
            "0123456789٠١٢٣٤٥٦٧٨٩۰۱۲۳۴۵۶۷۸۹०१२३४५६७८९-−+.,٫٬'’  \u{00A0}\u{202F}$€£¥eEabcxyz\u{0}\u{200E}\u{200F}\u{202E}\u{061C}\u{0301}\u{FE0F}\u{20E3}😀👍🏽\n\t"
                .unicodeScalars)
        let locales = ["en_US", "de_DE", "ar_EG", "fa_IR", "sv_SE", "fr_CH"]
        for seed in SeededRandomNumberGenerator.testSeeds(fixed: 0x9A57_E) {
            var generator = SeededRandomNumberGenerator(seed: seed)
            var failures: [String] = []
            var numbers = 0
            for identifier in locales {
                withTestEnvironment(locale: identifier) { _ in
                    for _ in 0..<300 {
                        var scalars = String.UnicodeScalarView()
                        for _ in 0..<Int.random(in: 0...24, using: &generator) {
                            scalars.append(alphabet.randomElement(using: &generator) ?? "0")
                        }
                        let text = String(scalars)
                        let first = paste(text)
                        if let first {
                            numbers += 1
                            if first.isNaN { failures.append("\(identifier) \(text.debugDescription): not-a-number") }
                        }
                        if paste(text) != first {
                            failures.append("\(identifier) \(text.debugDescription): not repeatable")
                        }
                    }
                }
            }
            #expect(failures.isEmpty, "seed \(seed): \(failures.prefix(3))")
            #expect(numbers > 0, "seed \(seed): no random text read as a number")
        }
    }
}
