import Foundation
import Testing

@testable import QVRTallixModel

func number(_ text: String) -> QVRTallixNumber {
    QVRTallixNumber(number: QVRTallixDecimal(string: text, requiresWholeText: true) ?? .nan)
}

func decimal(_ text: String) -> QVRTallixDecimal {
    QVRTallixDecimal(string: text, requiresWholeText: true) ?? .nan
}

/// Part 1.1: the decimal number value.
@Suite("Number value (Part 1.1)")
struct QVRTallixNumberTests {
    // MARK: - Edge cases of Part 1.1

    @Test("1 ÷ 0 and 0 ÷ 0 give not-a-number; neither raises to the caller")
    func divisionByZero() {
        withTestEnvironment { _ in
            #expect(number("1").divide(number("0")).decimalNumber?.isNaN == true)
            #expect(number("0").divide(number("0")).decimalNumber?.isNaN == true)
            #expect(number("-1").divide(number("0")).decimalNumber?.isNaN == true)
        }
    }

    @Test("tallixNumberWithDoubleValue: of NaN, +∞ and −∞ gives not-a-number; of 0.1 the platform conversion of 0.1")
    func fromDouble() {
        withTestEnvironment { _ in
            for value in [Double.nan, .infinity, -.infinity, -Double.nan, .signalingNaN] {
                #expect(QVRTallixNumber.tallixNumberWithDoubleValue(value).decimalNumber?.isNaN == true)
            }
            let tenth = QVRTallixNumber.tallixNumberWithDoubleValue(0.1)
            // A correct rounding of the double 0.1 to at most 38 digits, which reads back as 0.1.
            #expect(tenth.decimalNumber == decimal("0.1"))
            #expect(tenth.doubleValue == 0.1)
            // Made of the receiving class.
            let editable = QVRTallixEditableNumber.tallixNumberWithDoubleValue(2.5)
            #expect(type(of: editable) == QVRTallixEditableNumber.self)
            #expect(editable.decimalNumber == decimal("2.5"))
            #expect(type(of: QVRTallixEditableNumber.tallixNumberWithDoubleValue(.nan)) == QVRTallixEditableNumber.self)
        }
    }

    @Test("random never returns a value outside [0, 1]")
    func randomInUnitInterval() {
        withTestEnvironment { _ in
            var distinct = Set<Double>()
            for _ in 0..<5000 {
                let value = QVRTallixNumber.random()
                #expect(type(of: value) == QVRTallixNumber.self)
                #expect(value.doubleValue >= 0 && value.doubleValue <= 1)
                distinct.insert(value.doubleValue)
            }
            #expect(distinct.count > 4900)
            // Sent to a subclass, the result is still a plain number.
            #expect(type(of: QVRTallixEditableNumber.random()) == QVRTallixNumber.self)
        }
    }

    @Test("a number made by init has doubleValue 0, copies to zero and adds to 2 as 2")
    func numberWithoutValue() throws {
        withTestEnvironment { _ in
            let empty = QVRTallixNumber()
            #expect(empty.decimalNumber == nil)
            #expect(empty.doubleValue == 0)
            let copy = empty.copy() as? QVRTallixNumber
            #expect(copy?.decimalNumber == .zero)
            #expect(empty.add(number("2")).decimalNumber == decimal("2"))
            #expect(number("2").subtract(empty).decimalNumber == decimal("2"))
            #expect(empty.multiply(number("2")).decimalNumber == .zero)
            #expect(number("2").divide(empty).decimalNumber?.isNaN == true)
            #expect(empty.description == "QVRTallixNumber((null))")
        }
    }

    @Test("isEqual: between a plain number and an editable number of the same value is true one way only")
    func equalityWithEditable() {
        withTestEnvironment { _ in
            let plain = number("5")
            let editable = QVRTallixEditableNumber(string: "5")
            #expect(plain.isEqual(editable))
            #expect(!editable.isEqual(plain))
            #expect(plain.isEqual(number("5.0")))
            #expect(!plain.isEqual(number("5.01")))
            #expect(!plain.isEqual("5"))
            #expect(!plain.isEqual(nil))
            // Equal plain numbers hash alike, whatever text made them.
            #expect(number("1.50").hash == number("1.5").hash)
            #expect(Set([number("1.50"), number("1.5"), number("2")]).count == 2)
        }
    }

    @Test("description of the number 2.5 of the plain class is QVRTallixNumber(2.5)")
    func description() {
        withTestEnvironment { _ in
            #expect(number("2.5").description == "QVRTallixNumber(2.5)")
            #expect(number("-0.001").description == "QVRTallixNumber(-0.001)")
            #expect(QVRTallixNumber.nan().description == "QVRTallixNumber(NaN)")
        }
    }

    @Test("copying a constant number gives a plain QVRTallixNumber with the same value")
    func copyingSubclass() throws {
        withTestEnvironment { _ in
            let titled = QVRTallixConstantNumber(number: decimal("42"))
            titled.setTitle("Answer")
            let copy = titled.copy()
            #expect(type(of: copy) == QVRTallixNumber.self)
            #expect((copy as? QVRTallixNumber)?.decimalNumber == decimal("42"))
            #expect(!(copy as AnyObject === titled))
        }
    }

    @Test(
        "archiving a number under decimalNumber and decoding it restores the value exactly, NaN included",
        arguments: [
            "0", "2.5", "-0.001", "0.1", "340282366920938463463374607431768211455e127",
            "-123456789012345678901234567890123456789e-128", "1e-128", "NaN",
        ])
    func archiveRoundTrip(_ text: String) throws {
        try withTestEnvironment { _ in
            let value = text == "NaN" ? QVRTallixNumber.nan() : number(text)
            let data = try QVRKeyedArchiver.archivedData(withRootObject: value)
            let decoded = try QVRKeyedUnarchiver.unarchivedObject(ofClasses: [QVRTallixNumber.self], from: data)
            let restored = try #require(decoded as? QVRTallixNumber)
            #expect(type(of: restored) == QVRTallixNumber.self)
            #expect(restored.decimalNumber == value.decimalNumber)
            #expect(restored.decimalNumber?.isNaN == (text == "NaN"))
        }
    }

    @Test("a number with no value archives without decimalNumber and decodes with no value")
    func archiveWithoutValue() throws {
        try withTestEnvironment { _ in
            let data = try QVRKeyedArchiver.archivedData(withRootObject: QVRTallixNumber())
            let restored = try QVRKeyedUnarchiver.unarchivedObject(ofClasses: [QVRTallixNumber.self], from: data)
            let number = try #require(restored as? QVRTallixNumber)
            #expect(number.decimalNumber == nil)
        }
    }

    // MARK: - Arithmetic

    @Test("the four operations are exact on decimal operands and give plain numbers")
    func exactArithmetic() {
        withTestEnvironment { _ in
            #expect(number("0.1").add(number("0.2")).decimalNumber == decimal("0.3"))
            #expect(number("0.3").subtract(number("0.1")).decimalNumber == decimal("0.2"))
            #expect(number("1.1").multiply(number("1.1")).decimalNumber == decimal("1.21"))
            #expect(number("1").divide(number("8")).decimalNumber == decimal("0.125"))
            let editable = QVRTallixEditableNumber(string: "2")
            for result in [
                editable.add(number("1")), editable.subtract(number("1")),
                editable.multiply(number("1")), editable.divide(number("1")),
            ] {
                #expect(type(of: result) == QVRTallixNumber.self)
            }
        }
    }

    @Test("a decimal overflow or underflow is retried in double precision")
    func rangeFailuresRetriedInDouble() {
        withTestEnvironment { _ in
            // 1e-100 × 1e-100 underflows the decimal; the double 1e-200 is below its range: zero.
            #expect(number("1e-100").multiply(number("1e-100")).decimalNumber == .zero)
            // 1e127 × 1e127 overflows the decimal; the double 1e254 is beyond it: not-a-number.
            #expect(number("1e127").multiply(number("1e127")).decimalNumber?.isNaN == true)
            // 3e127 × 10: the decimal holds 3e128 by widening the mantissa.
            #expect(number("3e127").multiply(number("10")).decimalNumber == decimal("3e128"))
        }
    }

    @Test("not-a-number operands propagate through the arithmetic")
    func notANumberPropagates() {
        withTestEnvironment { _ in
            let nan = QVRTallixNumber.nan()
            for result in [
                nan.add(number("1")), number("1").subtract(nan), nan.multiply(number("0")), number("0").divide(nan),
            ] {
                #expect(result.decimalNumber?.isNaN == true)
            }
            #expect(type(of: QVRTallixEditableNumber.nan()) == QVRTallixEditableNumber.self)
        }
    }

    @Test("compare: orders by value; an absent value counts as zero and not-a-number comes first")
    func compare() {
        withTestEnvironment { _ in
            #expect(number("1").compare(number("2")) == .orderedAscending)
            #expect(number("2").compare(number("1")) == .orderedDescending)
            #expect(number("2.50").compare(number("2.5")) == .orderedSame)
            #expect(number("-3").compare(number("-2")) == .orderedAscending)
            #expect(QVRTallixNumber().compare(number("0")) == .orderedSame)
            #expect(QVRTallixNumber.nan().compare(number("-1e127")) == .orderedAscending)
            #expect(QVRTallixNumber.nan().compare(QVRTallixNumber.nan()) == .orderedSame)
        }
    }

    @Test("initWithNumber: of a Foundation number converts through its decimal value; none gives zero")
    func fromFoundationNumber() {
        withTestEnvironment { _ in
            #expect(QVRTallixNumber(foundationNumber: NSNumber(value: 0.1)).decimalNumber == decimal("0.1"))
            #expect(QVRTallixNumber(foundationNumber: NSNumber(value: -42)).decimalNumber == decimal("-42"))
            #expect(
                QVRTallixNumber(foundationNumber: NSNumber(value: UInt64.max)).decimalNumber
                    == decimal("18446744073709551615"))
            #expect(QVRTallixNumber(foundationNumber: NSNumber(value: Double.nan)).decimalNumber?.isNaN == true)
            #expect(QVRTallixNumber(foundationNumber: nil).decimalNumber == .zero)
            #expect(QVRTallixNumber(number: nil).decimalNumber == .zero)
        }
    }

    @Test("canEdit is false for a plain number; the maximum of significant digits is 15")
    func canEditAndMaximumDigits() {
        withTestEnvironment { _ in
            #expect(!number("1").canEdit)
            #expect(QVRTallixNumberMaximumSignificantDigits == 15)
        }
    }
}
