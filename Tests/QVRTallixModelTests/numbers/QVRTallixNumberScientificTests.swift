import Foundation
import Testing

@testable import QVRTallixModel

/// Part 1.2: the scientific functions.
@Suite("Scientific functions (Part 1.2)")
struct QVRTallixNumberScientificTests {
    func isNaN(_ value: QVRTallixNumber) -> Bool { value.decimalNumber?.isNaN == true }

    func isClose(_ value: QVRTallixNumber, _ expected: Double, relative: Double = 1e-14) -> Bool {
        abs(value.doubleValue - expected) <= relative * abs(expected)
    }

    // MARK: - Edge cases of Part 1.2

    @Test("sin: of 180 in degrees gives exactly 0, not 1.2e-16; cos: of 90 in degrees gives exactly 0")
    func exactZerosOfCircularFunctions() {
        withTestEnvironment { _ in
            #expect(number("180").sin(false).decimalNumber == .zero)
            #expect(number("90").cos(false).decimalNumber == .zero)
            #expect(number("360").sin(false).decimalNumber == .zero)
            #expect(number("0").tan(false).decimalNumber == .zero)
            #expect(number("90").sin(false).decimalNumber == decimal("1"))
            // In radians the threshold applies too: sin(π) is 1.2e-16.
            #expect(QVRTallixNumber.tallixNumberWithDoubleValue(Double.pi).sin(true).decimalNumber == .zero)
            #expect(number("30").sin(false).decimalNumber == decimal("0.49999999999999994"))
        }
    }

    @Test("tan: of 90 in degrees gives a finite number of about 1.633 × 10^16, not not-a-number")
    func tangentOfRightAngle() {
        withTestEnvironment { _ in
            let value = number("90").tan(false)
            #expect(!isNaN(value))
            #expect(isClose(value, 1.633123935319537e16, relative: 1e-12))
        }
    }

    @Test("asin: of 1 in degrees gives 90; in radians π ÷ 2")
    func arcSineOfOne() {
        withTestEnvironment { _ in
            #expect(number("1").asin(false).decimalNumber == decimal("90"))
            #expect(number("1").asin(true).doubleValue == Double.pi / 2)
            #expect(number("1").acos(false).decimalNumber == .zero)
            #expect(number("1").atan(false).decimalNumber == decimal("45"))
            #expect(isNaN(number("2").asin(true)))
            #expect(isNaN(number("-1.5").acos(false)))
        }
    }

    @Test("rt: of −8 with degree 3 gives −2, with degree 2 not-a-number, with degree −3 −0.5; rtThree of −27 gives −3")
    func rootsOfNegativeNumbers() {
        withTestEnvironment { _ in
            #expect(number("-8").rt(number("3")).decimalNumber == decimal("-2"))
            #expect(isNaN(number("-8").rt(number("2"))))
            #expect(number("-8").rt(number("-3")).decimalNumber == decimal("-0.5"))
            #expect(number("-27").rtThree().decimalNumber == decimal("-3"))
            #expect(number("27").rtThree().decimalNumber == decimal("3"))
            #expect(isNaN(number("-8").rt(number("2.5"))))
            #expect(number("16").rt(number("4")).decimalNumber == decimal("2"))
            // Degrees beyond 2^53 are even; not-a-number and infinite degrees never trap.
            #expect(isNaN(number("-8").rt(number("1e300"))))
            #expect(isNaN(number("-8").rt(number("9007199254740993"))))
            #expect(number("-1").rt(number("9007199254740991")).decimalNumber == decimal("-1"))
            #expect(number("-8").rt(number("-1")).decimalNumber == decimal("-0.125"))
            #expect(isNaN(number("-8").rt(QVRTallixNumber.nan())))
        }
    }

    @Test(
        "factorial of 5 is 120, of 19 exactly 19!, of 20 from gamma, of 0.5 about 0.886226925452758, of −1 and 171 not-a-number"
    )
    func factorials() {
        withTestEnvironment { _ in
            #expect(number("5").factorial().decimalNumber == decimal("120"))
            #expect(number("0").factorial().decimalNumber == decimal("1"))
            #expect(number("19").factorial().decimalNumber == decimal("121645100408832000"))
            #expect(number("19").factorial().decimalNumber?.description.count == 18)
            let twenty = number("20").factorial()
            #expect(twenty.decimalNumber == QVRTallixDecimal(double: Foundation.tgamma(21.0)))
            #expect(isClose(twenty, 2.43290200817664e18))
            #expect(isClose(number("0.5").factorial(), 0.886226925452758, relative: 1e-14))
            #expect(isNaN(number("-1").factorial()))
            #expect(isNaN(number("171").factorial()))
            #expect(isNaN(QVRTallixNumber.nan().factorial()))
        }
    }

    @Test("the not-a-number of a negative factorial is made by the receiver's class")
    func negativeFactorialClass() {
        withTestEnvironment { _ in
            let editable = QVRTallixEditableNumber(string: "-3")
            let result = editable.factorial()
            #expect(type(of: result) == QVRTallixEditableNumber.self)
            #expect(isNaN(result))
            #expect(type(of: QVRTallixEditableNumber(string: "3").factorial()) == QVRTallixNumber.self)
        }
    }

    @Test("percent of 50 is exactly 0.5; invert of 0 is not-a-number; invert of 3 is 1 ÷ 3 to the decimal's precision")
    func percentAndInvert() throws {
        withTestEnvironment { _ in
            #expect(number("50").percent().decimalNumber == decimal("0.5"))
            #expect(isNaN(number("0").invert()))
            let third = number("3").invert()
            #expect(third.decimalNumber == (try? QVRTallixDecimal.divide(.one, decimal("3"))))
            #expect(third.decimalNumber?.description.hasPrefix("0." + String(repeating: "3", count: 38)) == true)
        }
    }

    @Test("round of 2.5 gives 3 and of −2.5 gives −3")
    func roundHalvesAwayFromZero() {
        withTestEnvironment { _ in
            #expect(number("2.5").round().decimalNumber == decimal("3"))
            #expect(number("-2.5").round().decimalNumber == decimal("-3"))
            #expect(number("2.4999999999999999999999999999999999999").round().decimalNumber == decimal("2"))
            #expect(number("-0.4").round().decimalNumber == .zero)
            #expect(number("1e100").round().decimalNumber == decimal("1e100"))
            #expect(isNaN(QVRTallixNumber.nan().round()))
        }
    }

    @Test("powTwo of 0.1 gives exactly 0.01; powThree of 10 gives exactly 1000")
    func exactPowers() {
        withTestEnvironment { _ in
            #expect(number("0.1").powTwo().decimalNumber == decimal("0.01"))
            #expect(number("10").powThree().decimalNumber == decimal("1000"))
            #expect(number("-0.3").powThree().decimalNumber == decimal("-0.027"))
            // Beyond the decimal's range the double formula decides: 1e-100 squared is 0 (below range).
            #expect(number("1e-100").powTwo().decimalNumber == .zero)
            #expect(isNaN(number("1e100").powTwo()))
        }
    }

    @Test("log: of 8 to the base 2 gives 3; to the base 1 not-a-number")
    func logarithmToBase() {
        withTestEnvironment { _ in
            #expect(isClose(number("8").log(number("2")), 3))
            #expect(isNaN(number("8").log(number("1"))))
            #expect(isNaN(number("-8").log(number("2"))))
        }
    }

    @Test("ee: of 2 with 3 gives 2000")
    func engineeringExponent() {
        withTestEnvironment { _ in
            #expect(number("2").ee(number("3")).decimalNumber == decimal("2000"))
            #expect(number("2.5").ee(number("-2")).decimalNumber == decimal("0.025"))
        }
    }

    @Test("twoPow and expTwo of the same number give the same value")
    func twoPowEqualsExpTwo() {
        withTestEnvironment { _ in
            for text in ["0", "1", "10", "-3", "0.5", "52.25", "1000", "-1074.5"] {
                #expect(number(text).twoPow().decimalNumber == number(text).expTwo().decimalNumber)
            }
            #expect(number("10").twoPow().decimalNumber == decimal("1024"))
        }
    }

    // MARK: - Failure handling

    @Test("domain errors and poles give not-a-number")
    func domainErrors() {
        withTestEnvironment { _ in
            #expect(isNaN(number("-1").ln()))
            #expect(isNaN(number("0").ln()))
            #expect(isNaN(number("-1").logTen()))
            #expect(isNaN(number("-1").logTwo()))
            #expect(isNaN(number("-4").rtTwo()))
            #expect(isNaN(number("0.5").acosh()))
            #expect(isNaN(number("1").atanh()))
            #expect(isNaN(number("1000").exp()))
            #expect(isNaN(number("-2").pow(number("0.5"))))
            #expect(isNaN(number("1000").tenPow()))
        }
    }

    @Test("a not-a-number receiver propagates through every function")
    func notANumberPropagates() {
        withTestEnvironment { _ in
            let nan = QVRTallixNumber.nan()
            let results: [QVRTallixNumber] = [
                nan.percent(), nan.negate(), nan.invert(), nan.powTwo(), nan.powThree(), nan.tenPow(),
                nan.twoPow(), nan.expTwo(), nan.factorial(), nan.round(), nan.rtTwo(), nan.rtThree(), nan.logTen(),
                nan.ln(), nan.exp(), nan.logTwo(), nan.sinh(), nan.cosh(), nan.tanh(), nan.asinh(), nan.acosh(),
                nan.atanh(), nan.sin(true), nan.cos(false), nan.tan(true), nan.asin(false), nan.acos(true),
                nan.atan(false), nan.pow(number("2")), nan.log(number("2")), nan.rt(number("2")), nan.ee(number("2")),
                number("2").pow(nan), number("2").ee(nan),
            ]
            for result in results {
                #expect(isNaN(result))
            }
        }
    }

    @Test("every function gives a plain number, whatever the receiver's class")
    func resultsArePlain() {
        withTestEnvironment { _ in
            let editable = QVRTallixEditableNumber(string: "0|5")
            let results: [QVRTallixNumber] = [
                editable.percent(), editable.negate(), editable.invert(), editable.powTwo(), editable.powThree(),
                editable.tenPow(), editable.factorial(), editable.round(), editable.rtTwo(), editable.sin(false),
                editable.sinh(), editable.asinh(), editable.pow(number("2")), editable.rt(number("3")),
            ]
            for result in results {
                #expect(type(of: result) == QVRTallixNumber.self)
            }
            #expect(editable.negate().decimalNumber == decimal("-0.5"))
        }
    }

    @Test("hyperbolic functions: results below 1e-13 are exactly zero")
    func hyperbolicThreshold() {
        withTestEnvironment { _ in
            #expect(number("0").sinh().decimalNumber == .zero)
            #expect(number("1e-14").sinh().decimalNumber == .zero)
            #expect(number("1e-14").tanh().decimalNumber == .zero)
            #expect(number("0").cosh().decimalNumber == decimal("1"))
            #expect(number("1e-12").sinh().decimalNumber == decimal("1e-12"))
            #expect(isClose(number("1").asinh(), Foundation.asinh(1.0)))
        }
    }

    @Test("negate keeps every digit and turns zero into zero")
    func negateIsExact() {
        withTestEnvironment { _ in
            #expect(
                number("123456789012345678901234567890.12345678").negate().decimalNumber
                    == decimal("-123456789012345678901234567890.12345678"))
            #expect(number("0").negate().decimalNumber == .zero)
            #expect(QVRTallixNumber().negate().decimalNumber == .zero)
        }
    }
}
