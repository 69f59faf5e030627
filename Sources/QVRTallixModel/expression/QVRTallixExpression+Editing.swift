import Foundation

/// The editing rules of Part 2.3 (Algorithms 1 to 8).
extension QVRTallixExpression {
    /// A number component made from a number with no value: a plain zero.
    static func plainZeroComponent() -> QVRTallixComponent {
        QVRTallixComponent(tallixNumber: QVRTallixNumber())
    }

    /// Algorithm 1: removes the operand that ends the list (a number with its postfix functions,
    /// a parenthesised group with its postfix functions, a trailing Equal with the operand before).
    public func removeLastNonDoubleArgumentNonParenthesisOperation() {
        while let last = mutableComponents.last {
            if last.isTallixNumber {
                mutableComponents.removeLast()
                return
            }
            if last.operation == .closeParenthesis {
                var count = 0
                while let removed = mutableComponents.popLast() {
                    if removed.operation == .closeParenthesis { count += 1 }
                    if removed.operation == .openParenthesis { count -= 1 }
                    if count == 0 { break }
                }
                return
            }
            if last.isDoubleArgumentOperation || last.operation == .openParenthesis {
                return
            }
            mutableComponents.removeLast()
        }
    }

    /// Algorithm 2: the number replaces the operand at the end of the list.
    public func addNumber(_ number: QVRTallixNumber) {
        removeLastNonDoubleArgumentNonParenthesisOperation()
        mutableComponents.append(QVRTallixComponent.componentWithTallixNumber(number))
        setDirty(true)
    }

    /// Algorithm 3: the number replaces a blank typed number, follows an operator or an open
    /// parenthesis, and otherwise starts the expression afresh.
    public func addOrReplaceWithNumber(_ number: QVRTallixNumber) {
        if let editable = currentEditableNumber, editable.isBlank {
            mutableComponents.removeLast()
        } else if let last = mutableComponents.last, !last.isDoubleArgumentOperation,
            last.operation != .openParenthesis
        {
            mutableComponents.removeAll()
        }
        mutableComponents.append(QVRTallixComponent.componentWithTallixNumber(number))
        setDirty(true)
    }

    /// Algorithm 4: adds an operation under the editing rules.
    public func addOperation(_ operation: QVRTallixOperation) {
        guard let last = mutableComponents.last else {
            appendOperation(operation)
            return
        }
        let lastOperation = last.operation
        if lastOperation == .openParenthesis && last.isOperation {
            if operation == .closeParenthesis {
                removeLastReplacingEmptyWithZero()
                setDirty(true)
                return
            }
            if operation != .negate && operation != .openParenthesis {
                mutableComponents.removeLast()
                if mutableComponents.isEmpty {
                    mutableComponents.append(Self.plainZeroComponent())
                    setDirty(true)
                    return
                }
                addOperation(operation)
                return
            }
        }
        if lastOperation == .none {
            addOperationAfterOperand(operation)
            return
        }
        switch operation {
        case .negate:
            if lastOperation == .negate {
                mutableComponents.removeLast()
                setDirty(true)
                return
            }
            if last.isDoubleArgumentOperation || lastOperation == .openParenthesis {
                let negative = QVRTallixEditableNumber()
                negative.addNegation()
                addNumber(negative)
                return
            }
            addOperationAfterOperand(operation)
        case .openParenthesis, .closeParenthesis:
            addOperationAfterOperand(operation)
        case _ where operation.isDoubleArgument:
            if !last.isFunctionOperation && lastOperation != .closeParenthesis {
                mutableComponents.removeLast()
            }
            addOperationAfterOperand(operation)
        case .invert:
            if lastOperation == .invert {
                mutableComponents.removeLast()
                setDirty(true)
                return
            }
            appendOperation(operation)
        default:
            appendOperation(operation)
        }
    }

    /// Step 4 of Algorithm 4.
    private func addOperationAfterOperand(_ operation: QVRTallixOperation) {
        switch operation {
        case .openParenthesis:
            removeLastNonDoubleArgumentNonParenthesisOperation()
            appendOperation(operation)
        case .closeParenthesis:
            var count = 1
            for component in mutableComponents.reversed() {
                if component.operation == .closeParenthesis { count += 1 }
                if component.operation == .openParenthesis { count -= 1 }
                if count == 0 {
                    appendOperation(operation)
                    return
                }
            }
        default:
            appendOperation(operation)
        }
    }

    /// Step 5 of Algorithm 4.
    private func appendOperation(_ operation: QVRTallixOperation) {
        mutableComponents.append(QVRTallixComponent.componentWithOperation(operation))
        setDirty(true)
    }

    private func removeLastReplacingEmptyWithZero() {
        if !mutableComponents.isEmpty { mutableComponents.removeLast() }
        if mutableComponents.isEmpty { mutableComponents.append(Self.plainZeroComponent()) }
    }

    // MARK: - Typing a number (Algorithm 5)

    public func addDigit(_ digit: UInt) {
        if let editable = currentEditableNumber {
            editable.addDigit(digit)
            setDirty(true)
        } else {
            let editable = QVRTallixEditableNumber()
            editable.addDigit(digit)
            addNumber(editable)
        }
    }

    public func addSeparator() {
        if let editable = currentEditableNumber {
            guard editable.canAddSeparator else { return }
            editable.addSeparator()
            setDirty(true)
        } else {
            let editable = QVRTallixEditableNumber()
            editable.addSeparator()
            addNumber(editable)
        }
    }

    public func addNegation() {
        if let editable = currentEditableNumber {
            editable.addNegation()
            setDirty(true)
        } else {
            addOperation(.negate)
            setDirty(true)
        }
    }

    // MARK: - Deleting (Algorithm 6)

    public func deleteDigitOrOperation() {
        let editable = currentEditableNumber
        if let editable, editable.canDeleteDigit {
            editable.deleteDigit()
        } else if mutableComponents.count == 1, let editable {
            editable.clear()
        } else {
            removeLastReplacingEmptyWithZero()
        }
        setDirty(true)
    }

    public var deleteWillClear: Bool {
        if mutableComponents.count > 1 { return false }
        guard let editable = currentEditableNumber else { return true }
        return !editable.canDeleteDigit
    }

    public var canDelete: Bool {
        if mutableComponents.count > 1 { return true }
        guard let editable = currentEditableNumber else { return true }
        return editable.canDeleteDigit
    }

    // MARK: - Clearing and replacing (Algorithms 7 and 8)

    /// Leaves exactly one blank editable number: the first component's, cleared, when it holds
    /// one; otherwise a new one.
    public func clearExpression() {
        if mutableComponents.count >= 2 {
            mutableComponents.removeSubrange(1...)
        }
        if let editable = mutableComponents.first?.tallixNumber as? QVRTallixEditableNumber {
            editable.clear()
        } else {
            mutableComponents = [QVRTallixComponent.componentWithTallixNumber(QVRTallixEditableNumber())]
        }
        setDirty(true)
    }

    /// Copies the other expression's components, leaving out every Equal; angle mode, identity
    /// and selection stay.
    public func setExpression(_ other: QVRTallixExpression) {
        mutableComponents = other.components
            .filter { !($0.isOperation && $0.operation == .equal) }
            .compactMap { $0.copy() as? QVRTallixComponent }
        setDirty(true)
    }
}
