import Foundation

/// A unit whose conversions to and from its category's base unit are small postfix formulas
/// taken from the catalogue (Part 5.3): "to" from this unit to the base unit, "from" the other
/// way (absent: "to" is used inverted).
///
/// Formula text: tokens separated by single spaces (two spaces make an empty token), evaluated
/// from left to right on a stack of decimal values; a is taken from the top, then b below it:
///
/// | Token | Normally | Inverted |
/// |---|---|---|
/// | "X" | push the value being converted | the same |
/// | "+" | push a + b | the same |
/// | "-" | push b − a | the same |
/// | "*" | push b × a | push b ÷ a, or zero when a is zero |
/// | "/" | push b ÷ a, or zero when a is zero | push b × a |
/// | anything else | push the token read as a decimal with "." as separator; not-a-number when it is no number | the same |
///
/// So "X 0.0254 *" (inch to metre) serves inverted as well, while an offset scale such as
/// "X 273.15 +" (Celsius to kelvin) needs its own "from" formula ("X 273.15 -").
open class QVRTallixFormulaUnit: QVRTallixUnit {
    /// The formula from the base unit to this unit; none when the catalogue gives none.
    public let fromFormula: String?
    /// The formula from this unit to the base unit; none: conversions yield zero.
    public let toFormula: String?
    private let compiledFromFormula: [QVRTallixFormulaToken]?
    private let compiledToFormula: [QVRTallixFormulaToken]?

    /// The construction of Part 5.1, then the formulas "from" and "to" (a value that is no text
    /// counts as absent).
    public required init(dictionary: [String: Any], forCategory category: QVRTallixUnitCategory) {
        fromFormula = QVRTallixCatalogueValue.string(dictionary["from"])
        toFormula = QVRTallixCatalogueValue.string(dictionary["to"])
        compiledFromFormula = fromFormula.map(QVRTallixFormulaToken.tokens(of:))
        compiledToFormula = toFormula.map(QVRTallixFormulaToken.tokens(of:))
        super.init(dictionary: dictionary, forCategory: category)
    }

    // MARK: - Evaluation

    /// The result of `formula` for the value `number` (Part 5.3, Algorithms), or none when the
    /// stack is empty at the end (a none formula has no tokens, so it gives none).
    ///
    /// Throws a range failure when an operator finds fewer than two values on the stack, and the
    /// decimal arithmetic's overflow and underflow; neither is caught here (the conversion of
    /// Part 5.1 catches them). A division by zero never fails: it yields zero.
    func _solveFormula(_ formula: String?, withNumber number: QVRTallixDecimal, inverse: Bool) throws
        -> QVRTallixDecimal?
    {
        guard let formula else { return nil }
        let tokens: [QVRTallixFormulaToken]
        if formula == toFormula, let compiledToFormula {
            tokens = compiledToFormula
        } else if formula == fromFormula, let compiledFromFormula {
            tokens = compiledFromFormula
        } else {
            tokens = QVRTallixFormulaToken.tokens(of: formula)
        }
        return try QVRTallixFormulaToken.evaluate(tokens, formula: formula, value: number, inverse: inverse)
    }

    /// A new number of the result of ``toFormula`` (zero when there is none).
    open override func convertToBaseUnit(_ number: QVRTallixNumber) throws -> QVRTallixNumber {
        QVRTallixNumber(number: try _solveFormula(toFormula, withNumber: number.decimalNumber ?? .zero, inverse: false))
    }

    /// A new number of the result of ``fromFormula``, or of ``toFormula`` inverted when there is
    /// no "from" formula (zero when there is no result).
    open override func convertFromBaseUnit(_ number: QVRTallixNumber) throws -> QVRTallixNumber {
        let value = number.decimalNumber ?? .zero
        if let fromFormula {
            return QVRTallixNumber(number: try _solveFormula(fromFormula, withNumber: value, inverse: false))
        }
        return QVRTallixNumber(number: try _solveFormula(toFormula, withNumber: value, inverse: true))
    }

    /// "%@ from=%@ to=%@" filled with the name, the "from" and the "to" formula.
    open override var description: String {
        "\(name ?? "(null)") from=\(fromFormula ?? "(null)") to=\(toFormula ?? "(null)")"
    }

    // MARK: - Archiving

    open override class var archiveClassName: String { "QVRTallixFormulaUnit" }

    /// The keys of Part 5.1, then "toFormula" and "fromFormula" ("fromFormula" absent when
    /// there is none).
    open override func encode(with coder: QVRKeyedArchiver) {
        super.encode(with: coder)
        coder.encode(toFormula, forKey: "toFormula")
        coder.encode(fromFormula, forKey: "fromFormula")
    }

    /// The archive of Part 5.1 with the two formulas; none when a formula is no text.
    public required init?(coder: QVRKeyedUnarchiver) {
        guard coder.qvrHoldsTextOrNothing(forKey: "toFormula"),
            coder.qvrHoldsTextOrNothing(forKey: "fromFormula")
        else { return nil }
        toFormula = coder.decodeString(forKey: "toFormula")
        fromFormula = coder.decodeString(forKey: "fromFormula")
        compiledFromFormula = fromFormula.map(QVRTallixFormulaToken.tokens(of:))
        compiledToFormula = toFormula.map(QVRTallixFormulaToken.tokens(of:))
        super.init(coder: coder)
    }
}
