import Foundation
import Testing

@testable import QVRTallixModel

/// Seeded random operands checked against exact arithmetic computed independently
/// (``ExactDecimal``: big integers, no rounding), so that every digit of every result is proven.
///
/// A result r = m × 10^e of an operation whose exact value is X must:
/// - have X's sign, and be zero only when X is zero;
/// - be X rounded plainly at its 38th or 39th significant digit, or at 10^−128 when that lies
///   higher: within half a unit of that digit, a half rounding away from zero;
/// - be compact (no trailing zero in m unless e is the highest exponent) and print and read back
///   as itself.
/// Overflow must be raised exactly when |X| rounds beyond the largest value, underflow exactly
/// when X is not zero and rounds to zero at the lowest exponent.
@Suite("Decimal core properties")
struct QVRTallixDecimalPropertyTests {
    static let casesPerSeed = 500

    enum Operation: String, CaseIterable, CustomStringConvertible {
        case add = "+", subtract = "−", multiply = "×", divide = "÷"
        var description: String { rawValue }
    }

    // MARK: - Generating operands

    /// A random finite decimal: mantissas of every width (with all-nines, powers of ten and the
    /// largest mantissa among them), exponents near zero, anywhere, or at the ends of the range.
    static func randomDecimal(using generator: inout SeededRandomNumberGenerator) -> QVRTallixDecimal {
        while true {
            let mantissa: UInt128
            switch Int.random(in: 0..<10, using: &generator) {
            case 0: mantissa = 0
            case 1: mantissa = UInt128.max
            case 2: mantissa = QVRPowersOfTen.uint128[Int.random(in: 0...38, using: &generator)]
            case 3: mantissa = QVRPowersOfTen.uint128[Int.random(in: 1...38, using: &generator)] - 1
            case 4: mantissa = UInt128(Int.random(in: 1...999, using: &generator))
            default:
                let digits = Int.random(in: 1...39, using: &generator)
                let bound = digits == 39 ? UInt128.max : QVRPowersOfTen.uint128[digits]
                mantissa = UInt128.random(in: 0..<bound, using: &generator)
            }
            let exponent: Int
            switch Int.random(in: 0..<4, using: &generator) {
            case 0: exponent = Int.random(in: -128...127, using: &generator)
            case 1: exponent = Int.random(in: -128 ... -90, using: &generator)
            case 2: exponent = Int.random(in: 90...127, using: &generator)
            default: exponent = Int.random(in: -20...20, using: &generator)
            }
            let negative = Bool.random(using: &generator)
            if let value = try? QVRTallixDecimal(negative: negative, mantissa: mantissa, exponent: exponent) {
                return value
            }
        }
    }

    /// A second operand: independent, or close to the first (for cancellation and carries).
    static func partner(of first: QVRTallixDecimal, using generator: inout SeededRandomNumberGenerator)
        -> QVRTallixDecimal
    {
        switch Int.random(in: 0..<4, using: &generator) {
        case 0:
            // The same magnitude with a few units more or less in the last digits.
            let delta = UInt128(Int.random(in: 0...20, using: &generator))
            let mantissa = first.mantissa > delta ? first.mantissa - delta : first.mantissa + delta
            let value = try? QVRTallixDecimal(
                negative: Bool.random(using: &generator), mantissa: mantissa, exponent: first.exponent)
            return value ?? first
        case 1:
            // A small number within the reach of the first one's digits.
            let shift = Int.random(in: 0...80, using: &generator)
            let value = try? QVRTallixDecimal(
                negative: Bool.random(using: &generator),
                mantissa: UInt128.random(in: 1...UInt128(UInt64.max), using: &generator),
                exponent: max(-128, first.exponent - shift))
            return value ?? first
        default:
            return randomDecimal(using: &generator)
        }
    }

    // MARK: - Checking results

    /// Why `result` (or the error) is not the right outcome for the exact value num ÷ den; none
    /// when it is.
    static func problem(
        with outcome: Result<QVRTallixDecimal, QVRTallixDecimalError>,
        exact numerator: ExactDecimal,
        over denominator: ExactDecimal = ExactDecimal(isNegative: false, magnitude: BigUInt(1), exponent: 0)
    ) -> String? {
        let exact = ExactQuotient(numerator: numerator, denominator: denominator)
        // Half a unit beyond the largest value ((2^128 − 1) × 10^127); half the smallest unit.
        let overflowBound = ExactDecimal(
            isNegative: false, magnitude: BigUInt(UInt128.max) * BigUInt(10) + BigUInt(5), exponent: 126)
        let underflowBound = ExactDecimal(isNegative: false, magnitude: BigUInt(5), exponent: -129)
        switch outcome {
        case .failure(.overflow):
            return exact.orderOfMagnitude(comparedWith: overflowBound) >= 0 ? nil : "raised overflow"
        case .failure(.underflow):
            if exact.isZero { return "raised underflow for an exact zero" }
            return exact.orderOfMagnitude(comparedWith: underflowBound) < 0 ? nil : "raised underflow"
        case .failure(.divideByZero):
            return "raised division by zero"
        case .success(let result):
            if result.isNaN { return "gave not-a-number" }
            if exact.isZero { return result.isZero ? nil : "gave \(result) for zero" }
            if result.isZero { return "gave zero for a value that is not zero" }
            if result.isNegative != exact.isNegative { return "gave the wrong sign" }
            if exact.orderOfMagnitude(comparedWith: overflowBound) >= 0 { return "should have overflowed" }
            // Rounded at its 38th or 39th significant digit (not below 10^−128): the exact value
            // lies within half a unit of that digit, a half rounding away from zero.
            let digits = QVRPowersOfTen.digitCount(result.mantissa)
            let lead = digits - 1 + result.exponent
            let units = Set([lead - 37, lead - 38].map { max($0, QVRTallixDecimal.minimumExponent) })
                .filter { $0 <= result.exponent }
            let roundedAtSomeUnit = units.contains { unit in
                // |r| and ½ unit, both counted in tenths of the unit.
                let r = BigUInt(result.mantissa) * BigUInt.powerOfTen(result.exponent - unit + 1)
                let low = ExactDecimal(isNegative: false, magnitude: r - BigUInt(5), exponent: unit - 1)
                let high = ExactDecimal(isNegative: false, magnitude: r + BigUInt(5), exponent: unit - 1)
                return exact.orderOfMagnitude(comparedWith: low) >= 0 && exact.orderOfMagnitude(comparedWith: high) < 0
            }
            if !roundedAtSomeUnit {
                return "is not the exact value rounded plainly at its 38th or 39th digit"
            }
            if result.mantissa % 10 == 0, result.exponent < QVRTallixDecimal.maximumExponent {
                return "is not compact"
            }
            if QVRTallixDecimal(string: result.description) != result { return "does not read back from its text" }
            return nil
        }
    }

    static func outcome(_ operation: Operation, _ x: QVRTallixDecimal, _ y: QVRTallixDecimal)
        -> Result<QVRTallixDecimal, QVRTallixDecimalError>
    {
        Result { () throws(QVRTallixDecimalError) -> QVRTallixDecimal in
            switch operation {
            case .add: try QVRTallixDecimal.add(x, y)
            case .subtract: try QVRTallixDecimal.subtract(x, y)
            case .multiply: try QVRTallixDecimal.multiply(x, y)
            case .divide: try QVRTallixDecimal.divide(x, y)
            }
        }
    }

    static func check(_ operation: Operation, _ x: QVRTallixDecimal, _ y: QVRTallixDecimal) -> String? {
        let result = outcome(operation, x, y)
        let ex = ExactDecimal(x)
        let ey = ExactDecimal(y)
        let found: String?
        switch operation {
        case .add: found = problem(with: result, exact: ex + ey)
        case .subtract: found = problem(with: result, exact: ex - ey)
        case .multiply: found = problem(with: result, exact: ex * ey)
        case .divide:
            if y.isZero {
                found = result == .failure(.divideByZero) ? nil : "did not raise division by zero"
            } else {
                found = problem(with: result, exact: ex, over: ey)
            }
        }
        return found.map { "\(x) \(operation) \(y) = \(result): \($0)" }
    }

    // MARK: - Tests

    @Test("random operands: every result is the exact value rounded plainly", arguments: Operation.allCases)
    func randomOperands(_ operation: Operation) {
        for seed in SeededRandomNumberGenerator.testSeeds(fixed: 0x7A11_1C5) {
            var generator = SeededRandomNumberGenerator(seed: seed)
            var failures: [String] = []
            for _ in 0..<Self.casesPerSeed {
                let x = Self.randomDecimal(using: &generator)
                let y = Self.partner(of: x, using: &generator)
                if let failure = Self.check(operation, x, y) { failures.append(failure) }
            }
            #expect(failures.isEmpty, "seed \(seed): \(failures.count) failures, first: \(failures.prefix(3))")
        }
    }

    @Test(
        "edge operands: every pair of extreme values gives the exact value rounded plainly",
        arguments: Operation.allCases)
    func extremeOperands(_ operation: Operation) throws {
        let texts = [
            "0", "1", "-1", "0.5", "3", "7", "9", "10", "1e-128", "-1e-128", "5e-129", "1e127",
            "340282366920938463463374607431768211455", "340282366920938463463374607431768211455e127",
            "-340282366920938463463374607431768211455e127", "340282366920938463463374607431768211455e-128",
            "99999999999999999999999999999999999999", "1e38", "0.1", "3.333333333333333333333333333333333333",
            "123456789012345678901234567890123456789e-128", "1.5e-64", "2e-64", "1e64", "-1e-64",
        ]
        let values = try texts.map { text in
            try #require(QVRTallixDecimal(string: text, requiresWholeText: true), "\(text)")
        }
        var failures: [String] = []
        for x in values {
            for y in values {
                if let failure = Self.check(operation, x, y) { failures.append(failure) }
            }
        }
        #expect(failures.isEmpty, "\(failures.count) failures: \(failures.prefix(5))")
    }

    @Test("division by a 39-digit divisor keeps 38 digits")
    func divisionByWideDivisor() throws {
        let divisor = try #require(QVRTallixDecimal(string: "123456789012345678901234567890123456789"))
        let quotient = try QVRTallixDecimal.divide(.one, divisor)
        #expect(QVRPowersOfTen.digitCount(quotient.mantissa) >= 38)
        #expect(Self.check(.divide, .one, divisor) == nil)
    }

    @Test("compare is a total order that agrees with the exact order and with the sign of the difference")
    func compareIsTotalOrder() {
        for seed in SeededRandomNumberGenerator.testSeeds(fixed: 0xC0_4FA7E) {
            var generator = SeededRandomNumberGenerator(seed: seed)
            var values: [QVRTallixDecimal] = [.nan, .zero]
            for _ in 0..<60 {
                let x = Self.randomDecimal(using: &generator)
                values.append(x)
                values.append(Self.partner(of: x, using: &generator))
            }
            var failures: [String] = []
            for x in values {
                for y in values {
                    let order = QVRTallixDecimal.compare(x, y)
                    let reverse = QVRTallixDecimal.compare(y, x)
                    let mirrored: QVRComparisonResult =
                        switch order {
                        case .orderedAscending: .orderedDescending
                        case .orderedDescending: .orderedAscending
                        case .orderedSame: .orderedSame
                        }
                    if reverse != mirrored { failures.append("\(x) vs \(y): not antisymmetric") }
                    if (order == .orderedSame) != (x == y) { failures.append("\(x) vs \(y): same but not equal") }
                    if x.isNaN || y.isNaN {
                        if x.isNaN, !y.isNaN, order != .orderedAscending { failures.append("NaN not first") }
                        continue
                    }
                    let exact = ExactDecimal.order(ExactDecimal(x), ExactDecimal(y))
                    let expected: QVRComparisonResult =
                        exact < 0 ? .orderedAscending : exact > 0 ? .orderedDescending : .orderedSame
                    if order != expected { failures.append("\(x) vs \(y): \(order.rawValue), exactly \(exact)") }
                    if let difference = try? QVRTallixDecimal.subtract(x, y) {
                        let sign: QVRComparisonResult =
                            difference.isZero
                            ? .orderedSame : difference.isNegative ? .orderedAscending : .orderedDescending
                        if sign != order { failures.append("\(x) vs \(y): difference \(difference) has another sign") }
                    }
                }
            }
            // Sorting with compare gives a list whose neighbours never descend (transitivity).
            let sorted = values.sorted { QVRTallixDecimal.compare($0, $1) == .orderedAscending }
            for (left, right) in zip(sorted, sorted.dropFirst())
            where QVRTallixDecimal.compare(left, right) == .orderedDescending {
                failures.append("sorted \(left) before \(right)")
            }
            #expect(failures.isEmpty, "seed \(seed): \(failures.count) failures: \(failures.prefix(3))")
        }
    }

    @Test("text round trip: decimal → text → decimal gives the same value")
    func decimalTextRoundTrip() {
        for seed in SeededRandomNumberGenerator.testSeeds(fixed: 0x7E_47) {
            var generator = SeededRandomNumberGenerator(seed: seed)
            var failures: [String] = []
            for _ in 0..<2000 {
                let x = Self.randomDecimal(using: &generator)
                let text = x.description
                if QVRTallixDecimal(string: text, requiresWholeText: true) != x { failures.append(text) }
                if QVRTallixDecimal(string: text)?.description != text { failures.append("text of \(text)") }
            }
            #expect(failures.isEmpty, "seed \(seed): \(failures.prefix(3))")
        }
    }

    /// Random decimal texts (any number of digits, separators, exponents) read as their exact value
    /// rounded once, plainly; read back from the value's own text, they give the same value.
    @Test("text round trip: random text → decimal is the exact value of the text rounded once")
    func textDecimalTextRoundTrip() {
        for seed in SeededRandomNumberGenerator.testSeeds(fixed: 0x5CA_77E2) {
            var generator = SeededRandomNumberGenerator(seed: seed)
            var failures: [String] = []
            for _ in 0..<1500 {
                let negative = Bool.random(using: &generator)
                let integerDigits = Self.randomDigits(Int.random(in: 0...45, using: &generator), using: &generator)
                let fractionDigits = Self.randomDigits(Int.random(in: 0...45, using: &generator), using: &generator)
                if integerDigits.isEmpty && fractionDigits.isEmpty { continue }
                let exponent = Int.random(in: -180...180, using: &generator)
                var text = negative ? "-" : ""
                text += integerDigits
                if !fractionDigits.isEmpty || Bool.random(using: &generator) { text += "." + fractionDigits }
                text += "e\(exponent)"
                var magnitude = BigUInt(0)
                for digit in (integerDigits + fractionDigits).utf8 {
                    magnitude = magnitude * BigUInt(10) + BigUInt(UInt128(digit - 48))
                }
                let exact = ExactDecimal(
                    isNegative: negative, magnitude: magnitude, exponent: exponent - fractionDigits.count)
                let parsed = QVRTallixDecimal(string: text, requiresWholeText: true)
                let outcome: Result<QVRTallixDecimal, QVRTallixDecimalError>
                if let parsed {
                    outcome = parsed.isZero && !exact.isZero ? .failure(.underflow) : .success(parsed)
                } else {
                    outcome = .failure(.overflow)
                }
                if let problem = Self.problem(with: outcome, exact: exact) {
                    failures.append("\(text) read as \(parsed.map(\.description) ?? "none"): \(problem)")
                }
                if let parsed, QVRTallixDecimal(string: parsed.description) != parsed {
                    failures.append("\(text): \(parsed) does not read back")
                }
            }
            #expect(failures.isEmpty, "seed \(seed): \(failures.count) failures: \(failures.prefix(3))")
        }
    }

    static func randomDigits(_ count: Int, using generator: inout SeededRandomNumberGenerator) -> String {
        var bytes: [UInt8] = []
        let style = Int.random(in: 0..<4, using: &generator)
        for _ in 0..<count {
            switch style {
            case 0: bytes.append(UInt8(ascii: "9"))
            case 1: bytes.append(bytes.isEmpty ? UInt8(ascii: "4") : UInt8(ascii: "9"))
            default: bytes.append(UInt8.random(in: 48...57, using: &generator))
            }
        }
        if style == 1, count > 2 { bytes[count - 1] = UInt8(ascii: "5") }
        return String(decoding: bytes, as: UTF8.self)
    }

    @Test("double round trip: double → decimal → double gives the same double")
    func doubleRoundTrip() {
        for seed in SeededRandomNumberGenerator.testSeeds(fixed: 0xD0_0B1E) {
            var generator = SeededRandomNumberGenerator(seed: seed)
            var failures: [String] = []
            var checked = 0
            while checked < 5000 {
                let bits = generator.next()
                let double = Double(bitPattern: bits)
                // Doubles whose 17 significant digits the decimal holds (1e-110 to 3.4e165) only.
                guard double.isFinite, double == 0 || (abs(double) >= 1e-110 && abs(double) <= 1e165) else { continue }
                checked += 1
                let decimal = QVRTallixDecimal(double: double)
                if decimal.doubleValue != double { failures.append("\(double) → \(decimal) → \(decimal.doubleValue)") }
                let number = QVRTallixNumber.tallixNumberWithDoubleValue(double)
                if number.doubleValue != double { failures.append("number of \(double)") }
            }
            // Short doubles, the ones people type, too.
            for _ in 0..<2000 {
                let double =
                    Double(Int.random(in: -999_999_999...999_999_999, using: &generator))
                    / QVRPowersOfTen.double[Int.random(in: 0...22, using: &generator)]
                if QVRTallixDecimal(double: double).doubleValue != double { failures.append("\(double)") }
            }
            #expect(failures.isEmpty, "seed \(seed): \(failures.prefix(3))")
        }
    }
}
