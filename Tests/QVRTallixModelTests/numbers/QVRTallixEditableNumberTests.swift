import Foundation
import Testing

@testable import QVRTallixModel

/// Part 1.4: the number being typed.
@Suite("Editable number (Part 1.4)")
struct QVRTallixEditableNumberTests {
    /// Types `keys` into `editable`: digits, "." for the separator, "-" for the sign, "<" to delete.
    @discardableResult
    func type(_ keys: String, into editable: QVRTallixEditableNumber = QVRTallixEditableNumber())
        -> QVRTallixEditableNumber
    {
        for key in keys {
            switch key {
            case ".": editable.addSeparator()
            case "-": editable.addNegation()
            case "<": editable.deleteDigit()
            default: editable.addDigit(UInt(key.wholeNumberValue ?? 0))
            }
        }
        return editable
    }

    func changes(in environment: QVREnvironment, of editable: QVRTallixEditableNumber) -> NotificationRecorder {
        NotificationRecorder(QVRTallixEditableNumberDidChange, in: environment, object: editable)
    }

    // MARK: - Edge cases of Part 1.4

    @Test("typing 0, 0, 5 gives 5; typing -, 0, 5 gives -5")
    func leadingZerosAreReplaced() {
        withTestEnvironment { _ in
            #expect(type("005").string == "5")
            #expect(type("-05").string == "-5")
            #expect(type("0").string == "0")
            #expect(type("-0").string == "-0")
            #expect(type("50").string == "50")
        }
    }

    @Test("typing the separator first gives 0|: blank, value 0, shown as 0 and the separator; then 5 gives 0|5 = 0.5")
    func separatorFirst() {
        withTestEnvironment { _ in
            let editable = type(".")
            #expect(editable.string == "0|")
            #expect(editable.isBlank)
            #expect(editable.decimalNumber == .zero)
            #expect(editable.editString == "0.")
            type("5", into: editable)
            #expect(editable.string == "0|5")
            #expect(!editable.isBlank)
            #expect(editable.decimalNumber == decimal("0.5"))
            #expect(type("-.").string == "-0|")
            #expect(type("-.").editString == "-0.")
        }
    }

    @Test("sixteen digits keep the first fifteen and the sixteenth posts nothing; with a separator, fifteen in all")
    func fifteenDigitLimit() {
        withTestEnvironment { env in
            let editable = type("123456789012345")
            let recorder = changes(in: env, of: editable)
            editable.addDigit(6)
            #expect(editable.string == "123456789012345")
            #expect(recorder.count == 0)
            #expect(editable.numberOfDigits == 15)
            let withSeparator = type("1234567.89012345678")
            #expect(withSeparator.string == "1234567|89012345")
            #expect(withSeparator.numberOfDigits == 15)
            #expect(type("-123456789012345678").string == "-123456789012345")
            #expect(type(".12345678901234567").string == "0|12345678901234")
        }
    }

    @Test("canAddSeparator is false after fifteen digits without a separator, and after a separator whatever the count")
    func canAddSeparator() {
        withTestEnvironment { env in
            let full = type("123456789012345")
            #expect(!full.canAddSeparator)
            let recorder = changes(in: env, of: full)
            full.addSeparator()
            #expect(full.string == "123456789012345")
            #expect(recorder.count == 0)
            #expect(type("12345678901234").canAddSeparator)
            #expect(!type("1.").canAddSeparator)
            #expect(!type(".").canAddSeparator)
            #expect(type("1..2").string == "1|2")
        }
    }

    @Test("-7 cannot be deleted, -75 can (giving -7); 0| deleted gives empty, -0| gives -")
    func deleting() {
        withTestEnvironment { env in
            #expect(!type("-7").canDeleteDigit)
            #expect(type("-75").canDeleteDigit)
            #expect(type("-75<").string == "-7")
            #expect(type(".<").string == "")
            #expect(type("-.<").string == "-")
            #expect(type("1.<").string == "1")
            #expect(type("10<").string == "1")
            #expect(type("0.5<").string == "0|")
            // One character is never shortened here; nothing is posted.
            for text in ["7", "-", "0", "", "-7"] {
                let editable = QVRTallixEditableNumber(string: text)
                let recorder = changes(in: env, of: editable)
                editable.deleteDigit()
                #expect(editable.string == text)
                #expect(recorder.count == 0)
            }
        }
    }

    @Test("addNegation on an empty number gives - (blank, shown as -0); on - it gives empty")
    func negation() {
        withTestEnvironment { _ in
            let editable = type("-")
            #expect(editable.string == "-")
            #expect(editable.isBlank)
            #expect(editable.isNegative)
            #expect(editable.editString == "-0")
            #expect(editable.decimalNumber == .zero)
            #expect(type("--").string == "")
            #expect(type("-.-").string == "0|")
            #expect(type("12-").string == "-12")
            #expect(type("12--").string == "12")
        }
    }

    @Test("under a locale whose separator is a comma, 12|5 shows as 12,5, is worth 12.5, and archives as 12|5")
    func commaLocale() throws {
        try withTestEnvironment(locale: "de_DE") { _ in
            let editable = type("12.5")
            #expect(editable.editString == "12,5")
            #expect(editable.decimalNumber == decimal("12.5"))
            #expect(type("12.").editString == "12,")
            #expect(type(".").editString == "0,")
            let data = try QVRKeyedArchiver.archivedData(withRootObject: editable)
            let plist = try QVRPropertyListReader.propertyList(from: data)
            let objects = (plist as? [String: Any])?["$objects"] as? [Any] ?? []
            #expect(objects.contains { ($0 as? [String: Any])?["string"] as? String == "12|5" })
        }
    }

    @Test("description of a number typed as 3, separator, 1 is QVRTallixEditableNumber(3|1)")
    func description() {
        withTestEnvironment { _ in
            #expect(type("3.1").description == "QVRTallixEditableNumber(3|1)")
            #expect(QVRTallixEditableNumber().description == "QVRTallixEditableNumber()")
        }
    }

    @Test("an editable number is never equal to a plain number of the same value; archiving restores string exactly")
    func equalityAndArchiving() throws {
        try withTestEnvironment { _ in
            let editable = type("-12.50")
            #expect(!editable.isEqual(number("-12.5")))
            #expect(number("-12.5").isEqual(editable))
            #expect(!type("5").isEqual(type("5.")))
            #expect(type("5").isEqual(type("5")))
            for text in ["", "-", "0|", "-0|", "-12|50", "123456789012345", "7"] {
                let original = QVRTallixEditableNumber(string: text)
                let data = try QVRKeyedArchiver.archivedData(withRootObject: original)
                let decoded = try QVRKeyedUnarchiver.unarchivedObject(
                    ofClasses: [QVRTallixNumber.self, QVRTallixEditableNumber.self], from: data)
                let restored = try #require(decoded as? QVRTallixEditableNumber, "\(text)")
                #expect(restored.string == text)
                #expect(restored.isEqual(original))
                #expect(restored.decimalNumber == original.decimalNumber)
            }
        }
    }

    // MARK: - The rest of the interface

    @Test("every change posts one notification with the number as object; clear always posts")
    func notifications() {
        withTestEnvironment { env in
            let editable = QVRTallixEditableNumber()
            let recorder = changes(in: env, of: editable)
            type("1.5-<", into: editable)
            #expect(recorder.count == 5)
            #expect(recorder.notifications.allSatisfy { $0.object as AnyObject === editable && $0.userInfo == nil })
            editable.clear()
            editable.clear()
            #expect(editable.string == "")
            #expect(recorder.count == 7)
            // 0 then 0: the lone zero is replaced, which is a change.
            type("00", into: editable)
            #expect(recorder.count == 9)
            #expect(QVRTallixEditableNumberDidChange.rawValue == "QVRTallixEditableNumberDidChange")
        }
    }

    @Test("a lone zero at the digit limit is still replaced by the next digit, and announced")
    func loneZeroIsReplaced() {
        withTestEnvironment { env in
            let editable = QVRTallixEditableNumber(string: "0")
            let recorder = changes(in: env, of: editable)
            editable.addDigit(0)
            #expect(editable.string == "0")
            #expect(recorder.count == 1)
        }
    }

    @Test("numberOfDigits, isNegative, isBlank and canEdit read the text")
    func derivedProperties() {
        withTestEnvironment { _ in
            #expect(QVRTallixEditableNumber(string: "-12|5").numberOfDigits == 3)
            #expect(QVRTallixEditableNumber(string: "").numberOfDigits == 0)
            #expect(QVRTallixEditableNumber(string: "-").numberOfDigits == 0)
            #expect(!QVRTallixEditableNumber(string: "5-").isNegative)
            for blank in ["", "-", "0|", "-0|"] { #expect(QVRTallixEditableNumber(string: blank).isBlank) }
            for notBlank in ["0", "-0", "0|0", "5"] { #expect(!QVRTallixEditableNumber(string: notBlank).isBlank) }
            #expect(QVRTallixEditableNumber().canEdit)
            #expect(!QVRTallixEditableNumber().canAddDigit)
        }
    }

    @Test("copying gives an independent editable number of the receiver's class with the same text")
    func copying() throws {
        withTestEnvironment { _ in
            let original = type("4.2")
            let copy = original.copy() as? QVRTallixEditableNumber
            #expect(copy?.string == "4|2")
            #expect(copy !== original)
            type("7", into: original)
            #expect(copy?.string == "4|2")
        }
    }

    @Test("initWithNumber: takes the plain text with | for the point; the value reads back")
    func initWithNumber() {
        withTestEnvironment { _ in
            #expect(QVRTallixEditableNumber(number: decimal("-12.5")).string == "-12|5")
            #expect(QVRTallixEditableNumber(number: nil).string == "0")
            #expect(QVRTallixEditableNumber(number: decimal("-12.5")).decimalNumber == decimal("-12.5"))
        }
    }

    @Test("the value is parsed from the text at every moment, and the arithmetic works on it")
    func valueWhileTyping() {
        withTestEnvironment { _ in
            let editable = type("1.")
            #expect(editable.decimalNumber == decimal("1"))
            #expect(editable.add(number("1")).decimalNumber == decimal("2"))
            type("25", into: editable)
            #expect(editable.multiply(number("4")).decimalNumber == decimal("5"))
            #expect(type("-.5").decimalNumber == decimal("-0.5"))
            #expect(type("123456789012345").decimalNumber == decimal("123456789012345"))
            #expect(type(".00000000000001").decimalNumber == decimal("0.00000000000001"))
        }
    }
}
