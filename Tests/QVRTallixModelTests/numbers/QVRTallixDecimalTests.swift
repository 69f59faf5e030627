import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Decimal core")
struct QVRTallixDecimalTests {
    func d(_ text: String) -> QVRTallixDecimal {
        QVRTallixDecimal(string: text) ?? .nan
    }

    @Test("adds 38-digit operands exactly")
    func addLarge() throws {
        let sum = try QVRTallixDecimal.add(
            d("12345678901234567890123456789012345678"), d("98765432109876543210987654321098765432"))
        #expect(sum.description == "111111111011111111101111111110111111110")
    }

    @Test("0.1 + 0.2 is exactly 0.3")
    func tenthPlusTwoTenths() throws {
        #expect(try QVRTallixDecimal.add(d("0.1"), d("0.2")) == d("0.3"))
    }

    @Test("1 ÷ 3 keeps every digit the mantissa holds")
    func oneThird() throws {
        let third = try QVRTallixDecimal.divide(.one, d("3"))
        #expect(third.description.hasPrefix("0.333333333333333333333333333333333333"))
        #expect(third.mantissa <= UInt128.max)
    }

    @Test("2 ÷ 3 rounds its last digit half up")
    func twoThirds() throws {
        let value = try QVRTallixDecimal.divide(d("2"), d("3"))
        #expect(value.description.hasSuffix("67"))
    }

    @Test("division by zero raises; 0 ÷ 0 as well")
    func divisionByZero() {
        #expect(throws: QVRTallixDecimalError.divideByZero) { try QVRTallixDecimal.divide(.one, .zero) }
        #expect(throws: QVRTallixDecimalError.divideByZero) { try QVRTallixDecimal.divide(.zero, .zero) }
    }

    @Test("overflow and underflow raise instead of trapping")
    func rangeErrors() {
        #expect(throws: QVRTallixDecimalError.overflow) { try QVRTallixDecimal.multiply(d("1e127"), d("1e127")) }
        #expect(throws: QVRTallixDecimalError.underflow) { try QVRTallixDecimal.multiply(d("1e-128"), d("1e-128")) }
        #expect(throws: QVRTallixDecimalError.underflow) { try QVRTallixDecimal.multiply(d("1e-100"), d("1e-100")) }
    }

    @Test("not-a-number propagates")
    func nanPropagates() throws {
        #expect(try QVRTallixDecimal.add(.nan, .one).isNaN)
        #expect(try QVRTallixDecimal.multiply(.nan, .zero).isNaN)
        #expect(try QVRTallixDecimal.divide(.nan, .zero).isNaN)
    }

    @Test("a tiny addend far below the result's digits rounds correctly")
    func tinyAddend() throws {
        #expect(try QVRTallixDecimal.subtract(d("1e100"), d("1e-100")) == d("1e100"))
        #expect(try QVRTallixDecimal.add(d("1e100"), d("1e-100")) == d("1e100"))
    }

    @Test(
        "parsing and printing round-trip exactly",
        arguments: [
            "0", "2.5", "-0.001", "123456789012345678901234567890123456789", "1e-128", "3.4e127",
            "0.000000000000000001",
        ])
    func roundTrip(_ text: String) {
        let value = d(text)
        #expect(QVRTallixDecimal(string: value.description) == value)
    }

    @Test("doubles convert through their shortest text")
    func fromDouble() {
        #expect(QVRTallixDecimal(double: 0.1) == d("0.1"))
        #expect(QVRTallixDecimal(double: .infinity).isNaN)
        #expect(QVRTallixDecimal(double: 1e300).isNaN)
        #expect(QVRTallixDecimal(double: 1e-300) == .zero)
        #expect(d("0.1").doubleValue == 0.1)
        #expect(d("123456789012345678901234567890").doubleValue == 1.2345678901234568e29)
    }

    @Test("comparison orders by value")
    func comparison() {
        #expect(QVRTallixDecimal.compare(d("1.5"), d("1.50")) == .orderedSame)
        #expect(QVRTallixDecimal.compare(d("-2"), d("1")) == .orderedAscending)
        #expect(QVRTallixDecimal.compare(d("10"), d("9.99")) == .orderedDescending)
        #expect(QVRTallixDecimal.compare(d("-10"), d("-9.99")) == .orderedAscending)
    }

    /// Foundation on Linux drops digits of sums that need more than 36 of them (sometimes without
    /// reporting it), so the comparison keeps to operands whose exact results fit.
    @Test("agrees with Foundation's decimal on operands whose exact results fit the mantissa")
    func differentialAgainstFoundation() throws {
        var generator = SystemRandomNumberGenerator()
        var compared = 0
        for _ in 0..<3000 {
            let a = Int64.random(in: -1_000_000_000_000...1_000_000_000_000, using: &generator)
            let b = Int64.random(in: 1...1_000_000, using: &generator)
            let x = d("\(a)e\(Int.random(in: -8...8, using: &generator))")
            let y = d("\(b)e\(Int.random(in: -8...8, using: &generator))")
            var fx = x.foundationDecimal
            var fy = y.foundationDecimal
            var result = Decimal()
            if NSDecimalAdd(&result, &fx, &fy, .plain) == .noError {
                compared += 1
                #expect(try QVRTallixDecimal.add(x, y) == QVRTallixDecimal(result), "\(x) + \(y)")
            }
            if NSDecimalSubtract(&result, &fx, &fy, .plain) == .noError {
                #expect(try QVRTallixDecimal.subtract(x, y) == QVRTallixDecimal(result), "\(x) - \(y)")
            }
            if NSDecimalMultiply(&result, &fx, &fy, .plain) == .noError {
                #expect(try QVRTallixDecimal.multiply(x, y) == QVRTallixDecimal(result), "\(x) × \(y)")
            }
        }
        #expect(compared > 1000)
    }

    @Test("a sum that needs more digits than the mantissa holds is rounded at the 38th or 39th digit")
    func roundedSums() throws {
        // Foundation on Linux cuts these to 36 digits or drops the small addend; the exact sums
        // rounded to the widest mantissa below 2^128 are these.
        #expect(
            try QVRTallixDecimal.add(d("79580376589300000000"), d("0.0000000000000743496"))
                == d("79580376589300000000.00000000000007435"))
        #expect(
            try QVRTallixDecimal.add(d("14721885923300000000000"), d("0.0000000000000185879"))
                == d("14721885923300000000000.0000000000000186"))
        #expect(
            try QVRTallixDecimal.subtract(d("-886156332055000000000000000"), d("0.000000031882"))
                == d("-886156332055000000000000000.00000003188"))
    }

    // MARK: - Regressions

    @Test("a product whose 78 digits all fall below 10^-128 raises underflow instead of trapping")
    func productBelowLowestExponent() throws {
        // (2^128 − 1)² has 78 digits; at the exponent −206 every one of them must be dropped.
        let widest = try QVRTallixDecimal(negative: false, mantissa: UInt128.max, exponent: -103)
        #expect(throws: QVRTallixDecimalError.underflow) { try QVRTallixDecimal.multiply(widest, widest) }
        let justAbove = try QVRTallixDecimal(negative: true, mantissa: UInt128.max, exponent: -102)
        #expect(try QVRTallixDecimal.multiply(justAbove, widest) == d("-1e-128"))
    }

    @Test("a quotient keeps at least 38 digits even for a 39-digit divisor")
    func quotientPrecision() throws {
        let quotient = try QVRTallixDecimal.divide(.one, d("123456789012345678901234567890123456789"))
        #expect(
            quotient.description == "0.0000000000000000000000000000000000000081000000729000006633900060368490549353")
    }

    @Test("the largest value reads back from its text with all 39 digits")
    func largestValueReadsBack() throws {
        let largest = try QVRTallixDecimal(negative: false, mantissa: UInt128.max, exponent: 127)
        #expect(QVRTallixDecimal(string: "340282366920938463463374607431768211455e127") == largest)
        #expect(QVRTallixDecimal(string: largest.description) == largest)
        #expect(QVRTallixDecimal(string: "340282366920938463463374607431768211455")?.mantissa == UInt128.max)
    }

    @Test("text is rounded once, not first to 39 digits and then again at 10^-128")
    func textRoundedOnce() {
        // The digit at 10^-129 is 4, so 1 × 10^-100 is the value; rounding the 40th digit first
        // would carry into it and round up.
        let text = "1." + String(repeating: "0", count: 28) + "4" + String(repeating: "9", count: 9) + "5e-100"
        #expect(d(text) == d("1e-100"))
        #expect(d("4.99999999999999999999999999999999999999995e-129") == .zero)
        #expect(d("5e-129") == d("1e-128"))
        #expect(d("-5e-129") == d("-1e-128"))
        #expect(d("1e-200") == .zero)
    }

    @Test("text too large for the decimal reads as none")
    func textTooLarge() {
        #expect(QVRTallixDecimal(string: "3.5e165") == nil)
        #expect(QVRTallixDecimal(string: "1e99999999999") == nil)
        #expect(QVRTallixDecimal(string: "34028236692093846346337460743176821145.5e128") != nil)
    }
}
