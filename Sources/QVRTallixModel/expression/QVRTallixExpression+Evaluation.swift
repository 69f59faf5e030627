import Foundation

/// The evaluation passes of Part 2.2. Each pass reads a list and builds a new one; the input is
/// never changed. A failure of a step (a `QVRException`) ends `resultForExpression(_:)` with a log
/// line and not-a-number.
extension QVRTallixExpression {
    /// The value of the expression's own list, from the cache when it is filled.
    public var result: QVRTallixNumber {
        if let cachedResult { return cachedResult }
        let value = resultForExpression(mutableComponents)
        cachedResult = value
        return value
    }

    /// The whole evaluation (Algorithm 1): never absent; failures become not-a-number.
    public func resultForExpression(_ list: [QVRTallixComponent]) -> QVRTallixNumber {
        var stepInput = list
        do {
            let grouped = try evaluateParenthesis(stepInput)
            stepInput = grouped
            let functions = try evaluateFunctions(stepInput)
            stepInput = functions
            let exponents = try evaluateExponents(stepInput)
            stepInput = exponents
            let products = try evaluateMultiplyDivide(stepInput)
            stepInput = products
            let sum = evaluateAddSubtract(stepInput)
            return QVRTallixNumber(number: sum?.decimalNumber)
        } catch {
            QVRLogger.logException(
                error, descriptionFormat: "while evaulating \(QVRTallixComponent.listDescription(stepInput))")
            return QVRTallixNumber.nan()
        }
    }

    // MARK: - Pass 2: parentheses

    public func evaluateParenthesis(_ list: [QVRTallixComponent]) throws(QVRException) -> [QVRTallixComponent] {
        var output: [QVRTallixComponent] = []
        var group: [QVRTallixComponent]?
        var level = 0
        var sawEqual = false
        for component in list {
            switch component.isOperation ? component.operation : .none {
            case .openParenthesis:
                if level == 0 {
                    group = []
                } else if group != nil {
                    group?.append(component)
                }
                level += 1
            case .closeParenthesis:
                level -= 1
                if level == 0, let closed = group {
                    let value = resultForExpression(closed + [QVRTallixComponent.componentWithOperation(.equal)])
                    output.append(QVRTallixComponent.componentWithTallixNumber(value))
                    group = nil
                } else if group != nil {
                    group?.append(component)
                }
            case .equal:
                sawEqual = true
            default:
                if group != nil {
                    group?.append(component)
                } else {
                    output.append(component)
                }
            }
        }
        if let open = group {
            if sawEqual {
                let value = resultForExpression(open + [QVRTallixComponent.componentWithOperation(.equal)])
                output.append(QVRTallixComponent.componentWithTallixNumber(value))
            } else if output.isEmpty || open.contains(where: Self.countsInUnclosedGroup) {
                output.append(QVRTallixComponent.componentWithTallixNumber(resultForExpression(open)))
            }
        }
        if sawEqual {
            output.append(QVRTallixComponent.componentWithOperation(.equal))
        }
        return output
    }

    /// Whether a component keeps an unclosed group: an operation other than OpenParenthesis, or
    /// a number that is not a blank editable number.
    private static func countsInUnclosedGroup(_ component: QVRTallixComponent) -> Bool {
        guard let number = component.tallixNumber else { return component.operation != .openParenthesis }
        if let editable = number as? QVRTallixEditableNumber { return !editable.isBlank }
        return true
    }

    // MARK: - Pass 3: functions

    public func evaluateFunctions(_ list: [QVRTallixComponent]) throws(QVRException) -> [QVRTallixComponent] {
        var output: [QVRTallixComponent] = []
        for component in list {
            guard component.isFunctionOperation else {
                output.append(component)
                continue
            }
            let argument: QVRTallixNumber
            if let number = output.last?.tallixNumber {
                argument = number
                output.removeLast()
            } else {
                argument = resultForExpression(evaluateForDisplay(output))
            }
            var value: QVRTallixNumber
            if let applied = applyFunction(component.operation, to: argument) {
                value = applied
            } else {
                QVRLogger.logFormat(
                    "Couldn't handle function \(component.operation.rawValue) \(QVRTallixComponent.listDescription(list))"
                )
                value = QVRTallixNumber.nan()
            }
            if component.operation == .percent, output.last?.isAddSubtractOperation == true {
                value = resultForExpression(output).multiply(value)
            }
            output.append(QVRTallixComponent.componentWithTallixNumber(value))
        }
        return output
    }

    /// The function of an operation applied to its argument; none for an operation without one.
    func applyFunction(_ operation: QVRTallixOperation, to x: QVRTallixNumber) -> QVRTallixNumber? {
        switch operation {
        case .percent: x.percent()
        case .negate: x.negate()
        case .round: x.round()
        case .factorial: x.factorial()
        case .xPow2: x.powTwo()
        case .xPow3: x.powThree()
        case .tenPowX: x.tenPow()
        case .twoPowX: x.twoPow()
        case .invert: x.invert()
        case .xRt2: x.rtTwo()
        case .xRt3: x.rtThree()
        case .ln: x.ln()
        case .log10: x.logTen()
        case .log2: x.logTwo()
        case .exp: x.exp()
        case .sin: x.sin(radMode)
        case .asin: x.asin(radMode)
        case .cos: x.cos(radMode)
        case .acos: x.acos(radMode)
        case .tan: x.tan(radMode)
        case .atan: x.atan(radMode)
        case .sinh: x.sinh()
        case .asinh: x.asinh()
        case .cosh: x.cosh()
        case .acosh: x.acosh()
        case .tanh: x.tanh()
        case .atanh: x.atanh()
        default: nil
        }
    }

    // MARK: - Passes 4 and 5: exponents, multiply/divide

    public func evaluateExponents(_ list: [QVRTallixComponent]) throws(QVRException) -> [QVRTallixComponent] {
        try evaluateBinaryPass(list, belongs: { $0.isExponentsOperation }) { operation, list in
            "Couldn't handle exponents \(operation) \(list)"
        }
    }

    public func evaluateMultiplyDivide(_ list: [QVRTallixComponent]) throws(QVRException) -> [QVRTallixComponent] {
        try evaluateBinaryPass(list, belongs: { $0.isMultiplyDivideOperation }) { operation, list in
            "Couldn't handle multiply/divide \(operation) \(list)"
        }
    }

    /// The left-to-right procedure shared by passes 4 and 5.
    private func evaluateBinaryPass(
        _ list: [QVRTallixComponent],
        belongs: (QVRTallixComponent) -> Bool,
        fallbackMessage: (UInt64, String) -> String
    ) throws(QVRException) -> [QVRTallixComponent] {
        var output: [QVRTallixComponent] = []
        var index = 0
        while index < list.count {
            let component = list[index]
            guard belongs(component) else {
                output.append(component)
                index += 1
                continue
            }
            let left = output.last?.tallixNumber
            guard let right = Self.rightOperand(in: list, after: index, repeating: left) else { break }
            var value: QVRTallixNumber?
            if let left {
                let operand = right ?? QVRTallixNumber()
                if let computed = Self.applyBinary(component.operation, left, operand) {
                    value = computed
                } else {
                    QVRLogger.logFormat(
                        fallbackMessage(component.operation.rawValue, QVRTallixComponent.listDescription(list)))
                    value = QVRTallixNumber.nan()
                }
            }
            guard !output.isEmpty else {
                throw .range(
                    "*** -[__NSArrayM removeLastObject]: empty array (operator \(component.operation.rawValue))")
            }
            output.removeLast()
            output.append(QVRTallixComponent.componentWithTallixNumber(value))
            index += 2
        }
        return output
    }

    /// The right operand of the operator at `index`: the next component's number; the left
    /// operand again when the next component is Equal (which is consumed). The outer none stops
    /// the pass (no next component, or one of another kind); the inner none is an absent operand.
    static func rightOperand(in list: [QVRTallixComponent], after index: Int, repeating left: QVRTallixNumber?)
        -> QVRTallixNumber??
    {
        guard index + 1 < list.count else { return nil }
        let next = list[index + 1]
        if let number = next.tallixNumber { return .some(number) }
        if next.operation == .equal { return .some(left) }
        return nil
    }

    /// The value of a double-argument operator of passes 4 and 5; none for another operation.
    static func applyBinary(_ operation: QVRTallixOperation, _ x: QVRTallixNumber, _ y: QVRTallixNumber)
        -> QVRTallixNumber?
    {
        switch operation {
        case .xPowY: x.pow(y)
        case .yPowX: y.pow(x)
        case .yRtX: x.rt(y)
        case .xEEY: x.ee(y)
        case .xLogY: x.log(y)
        case .xRtY: y.rt(x)
        case .divide: x.divide(y)
        case .multiply: x.multiply(y)
        default: nil
        }
    }

    // MARK: - Pass 6: add/subtract

    public func evaluateAddSubtract(_ list: [QVRTallixComponent]) -> QVRTallixNumber? {
        guard let first = list.first else { return QVRTallixNumber() }
        var accumulator = first.tallixNumber
        var index = 1
        while index < list.count {
            let operation = list[index]
            guard let right = Self.rightOperand(in: list, after: index, repeating: accumulator) else { break }
            let operand = right ?? QVRTallixNumber()
            if operation.isOperation && operation.operation == .subtract {
                accumulator = accumulator?.subtract(operand)
            } else if operation.isOperation && operation.operation == .add {
                accumulator = accumulator?.add(operand)
            } else {
                accumulator = QVRTallixNumber.nan()
                QVRLogger.logFormat(
                    "Couldn't handle add/subtract \(operation.operation.rawValue) \(QVRTallixComponent.listDescription(list))"
                )
            }
            index += 2
        }
        if let editable = accumulator as? QVRTallixEditableNumber {
            return QVRTallixNumber(number: editable.decimalNumber)
        }
        return accumulator
    }

    // MARK: - Display tail (Algorithm 7)

    /// The trailing operand with the operators that bind at least as tightly as the last component.
    public func evaluateForDisplay(_ list: [QVRTallixComponent]) -> [QVRTallixComponent] {
        let order = list.last?.order ?? 0
        var start = list.count
        while start > 0 {
            let component = list[start - 1]
            if component.isOperation && component.order < order { break }
            start -= 1
        }
        return Array(list[start...])
    }
}
