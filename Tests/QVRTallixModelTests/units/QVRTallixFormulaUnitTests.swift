import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Part 5.3: formula units")
struct QVRTallixFormulaUnitTests {
    typealias F = UnitFixtures

    /// A category with the plain unit "base" and one formula unit "unit".
    private func makeUnit(to: String?, from: String? = nil) throws -> (QVRTallixUnitCategory, QVRTallixFormulaUnit) {
        let category = QVRTallixUnitCategory(
            dictionary: F.category("Formula", units: [F.plainUnit("base"), F.formulaUnit("unit", to: to, from: from)]),
            stringsDictionary: nil)
        let unit = try #require(category.unitNamed("unit") as? QVRTallixFormulaUnit)
        return (category, unit)
    }

    // MARK: - Edge cases of Part 5.3

    @Test("With X 1000 * as to and no from, 2 converts to the base as 2000 and 2000 from the base as 2")
    func factorServesBothWays() throws {
        try withTestEnvironment { env in
            let (_, unit) = try makeUnit(to: "X 1000 *")
            #expect(try unit.convertToBaseUnit(F.number("2")).decimalNumber == F.decimal("2000"))
            #expect(try unit.convertFromBaseUnit(F.number("2000")).decimalNumber == F.decimal("2"))
            #expect(env.loggedLines.isEmpty)
        }
    }

    @Test(
        "With X 32 - and X 32 + as to and from, 50 converts to 18 and back to 50; without from, 18 from the base gives -14"
    )
    func offsetNeedsItsOwnFromFormula() throws {
        try withTestEnvironment { _ in
            let (category, unit) = try makeUnit(to: "X 32 -", from: "X 32 +")
            let base = try #require(category.unitNamed("base"))
            #expect(
                QVRTallixUnit.convertNumber(F.number("50"), fromUnit: unit, toUnit: base)?.decimalNumber
                    == F.decimal("18"))
            #expect(
                QVRTallixUnit.convertNumber(F.number("18"), fromUnit: base, toUnit: unit)?.decimalNumber
                    == F.decimal("50"))
            let (_, withoutFrom) = try makeUnit(to: "X 32 -")
            #expect(try withoutFrom.convertFromBaseUnit(F.number("18")).decimalNumber == F.decimal("-14"))
        }
    }

    @Test("Subtraction takes the lower value minus the top value: 10 X - with X = 3 gives 7")
    func subtractionOrder() throws {
        try withTestEnvironment { _ in
            let (_, unit) = try makeUnit(to: "10 X -")
            #expect(try unit._solveFormula("10 X -", withNumber: F.decimal("3"), inverse: false) == F.decimal("7"))
            #expect(try unit._solveFormula("10 X -", withNumber: F.decimal("3"), inverse: true) == F.decimal("7"))
            #expect(try unit.convertToBaseUnit(F.number("3")).decimalNumber == F.decimal("7"))
        }
    }

    @Test("X 0 / gives zero for any X; inverted, X 0 * gives zero as well")
    func divisionByZeroGivesZero() throws {
        try withTestEnvironment { env in
            let (_, unit) = try makeUnit(to: "X 0 /")
            for value in ["0", "1", "-7.5", "1e100"] {
                #expect(try unit._solveFormula("X 0 /", withNumber: F.decimal(value), inverse: false) == .zero)
                #expect(try unit._solveFormula("X 0 *", withNumber: F.decimal(value), inverse: true) == .zero)
            }
            #expect(try unit.convertToBaseUnit(F.number("5")).decimalNumber == .zero)
            let (_, multiplying) = try makeUnit(to: "X 0 *")
            #expect(try multiplying.convertFromBaseUnit(F.number("5")).decimalNumber == .zero)
            #expect(env.loggedLines.isEmpty)
        }
    }

    @Test("A formula + alone fails, and the conversion answers zero with one log line")
    func plusAloneFails() throws {
        try withTestEnvironment { env in
            let (category, unit) = try makeUnit(to: "+")
            let base = try #require(category.unitNamed("base"))
            #expect(throws: QVRException.self) { try unit.convertToBaseUnit(F.number("2")) }
            let result = try #require(QVRTallixUnit.convertNumber(F.number("2"), fromUnit: unit, toUnit: base))
            #expect(result.decimalNumber == .zero)
            #expect(env.loggedLines.count == 1)
            #expect(
                env.loggedLines.first?.hasPrefix("converting unit from=(null) to=+(QVRTallixNumber(2)) to base") == true
            )
            #expect(env.loggedLines.first?.contains("NSRangeException") == true)
        }
    }

    @Test("An archived formula unit decodes with both formulas")
    func archiveKeepsBothFormulas() throws {
        try withTestEnvironment { _ in
            // The category owns its units; the units do not own it, so it is kept here.
            let (category, unit) = try makeUnit(to: "X 459.67 + 5 * 9 /", from: "X 9 * 5 / 459.67 -")
            defer { withExtendedLifetime(category) {} }
            let records = try F.archivedRecords(unit, className: "QVRTallixFormulaUnit")
            let record = try #require(records.first)
            #expect(record["toFormula"] as? String == "X 459.67 + 5 * 9 /")
            #expect(record["fromFormula"] as? String == "X 9 * 5 / 459.67 -")
            let decoded = try #require(try F.roundTrip(unit) as? QVRTallixFormulaUnit)
            #expect(decoded.toFormula == "X 459.67 + 5 * 9 /")
            #expect(decoded.fromFormula == "X 9 * 5 / 459.67 -")
            #expect(try decoded.convertFromBaseUnit(F.number("373.15")).decimalNumber == F.decimal("212"))

            // Without a "from" formula, "fromFormula" is absent from the archive.
            let (factorCategory, factor) = try makeUnit(to: "X 1000 *")
            defer { withExtendedLifetime(factorCategory) {} }
            let factorRecord = try #require(try F.archivedRecords(factor, className: "QVRTallixFormulaUnit").first)
            #expect(factorRecord["fromFormula"] == nil)
            let decodedFactor = try #require(try F.roundTrip(factor) as? QVRTallixFormulaUnit)
            #expect(decodedFactor.fromFormula == nil)
            #expect(decodedFactor.toFormula == "X 1000 *")
        }
    }

    // MARK: - Further behaviour

    @Test("X abc * gives not-a-number, without a log line")
    func textThatIsNoNumber() throws {
        try withTestEnvironment { env in
            let (category, unit) = try makeUnit(to: "X abc *")
            let base = try #require(category.unitNamed("base"))
            let result = try #require(QVRTallixUnit.convertNumber(F.number("2"), fromUnit: unit, toUnit: base))
            #expect(result.decimalNumber?.isNaN == true)
            let back = try #require(QVRTallixUnit.convertNumber(F.number("2"), fromUnit: base, toUnit: unit))
            #expect(back.decimalNumber?.isNaN == true)
            #expect(env.loggedLines.isEmpty)
        }
    }

    @Test("two spaces make an empty token, which is not-a-number; an empty stack gives no result, so zero")
    func emptyTokensAndEmptyStack() throws {
        try withTestEnvironment { _ in
            let (_, unit) = try makeUnit(to: "X  2 *")
            #expect(try unit._solveFormula("X  2 *", withNumber: .one, inverse: false)?.isNaN == true)
            #expect(try unit._solveFormula(nil, withNumber: .one, inverse: false) == nil)
            #expect(try unit._solveFormula("", withNumber: .one, inverse: false)?.isNaN == true)
            #expect(try unit._solveFormula("X X", withNumber: .one, inverse: false) == .one)
            let (_, noTo) = try makeUnit(to: nil)
            #expect(try noTo.convertToBaseUnit(F.number("9")).decimalNumber == .zero)
            #expect(try noTo.convertFromBaseUnit(F.number("9")).decimalNumber == .zero)
        }
    }

    @Test("constants are read with a period whatever the user's locale")
    func periodWhateverTheLocale() throws {
        try withTestEnvironment(locale: "de_DE") { _ in
            let (_, unit) = try makeUnit(to: "X 0.0254 *")
            #expect(try unit.convertToBaseUnit(F.number("100")).decimalNumber == F.decimal("2.54"))
            #expect(try unit._solveFormula("X 0,5 *", withNumber: F.decimal("10"), inverse: false) == .zero)
        }
    }

    @Test("inversion swaps * and / only; + and - are evaluated as written")
    func inversionTable() throws {
        try withTestEnvironment { _ in
            let (_, unit) = try makeUnit(to: "X 4 *")
            let x = F.decimal("8")
            #expect(try unit._solveFormula("X 4 *", withNumber: x, inverse: false) == F.decimal("32"))
            #expect(try unit._solveFormula("X 4 *", withNumber: x, inverse: true) == F.decimal("2"))
            #expect(try unit._solveFormula("X 4 /", withNumber: x, inverse: false) == F.decimal("2"))
            #expect(try unit._solveFormula("X 4 /", withNumber: x, inverse: true) == F.decimal("32"))
            #expect(try unit._solveFormula("X 4 +", withNumber: x, inverse: true) == F.decimal("12"))
            #expect(try unit._solveFormula("X 4 -", withNumber: x, inverse: true) == F.decimal("4"))
        }
    }

    @Test("an overflow inside a formula raises; the conversion answers zero and logs once")
    func overflowRaises() throws {
        try withTestEnvironment { env in
            let (category, unit) = try makeUnit(to: "X 1e127 *")
            let base = try #require(category.unitNamed("base"))
            #expect(throws: QVRTallixDecimalError.overflow) { try unit.convertToBaseUnit(F.number("1e127")) }
            #expect(
                QVRTallixUnit.convertNumber(F.number("1e127"), fromUnit: unit, toUnit: base)?.decimalNumber == .zero)
            #expect(env.loggedLines.count == 1)
        }
    }

    @Test("description reads name from=… to=…")
    func description() throws {
        try withTestEnvironment { _ in
            let (_, unit) = try makeUnit(to: "X 273.15 +", from: "X 273.15 -")
            #expect(unit.description == "unit from=X 273.15 - to=X 273.15 +")
        }
    }
}
