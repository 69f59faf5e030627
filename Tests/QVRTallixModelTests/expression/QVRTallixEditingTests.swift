import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Part 2.3: expression model and editing")
struct QVRTallixEditingTests {
    func isPlainZero(_ component: QVRTallixComponent?) -> Bool {
        guard let number = component?.tallixNumber else { return false }
        return type(of: number) == QVRTallixNumber.self && value(number) == "0"
    }

    @Test("A new expression holds one plain zero, is dirty, evaluates to 0; canDelete and deleteWillClear are true")
    func newExpression() {
        withTestEnvironment { _ in
            let expression = QVRTallixExpression()
            #expect(expression.components.count == 1)
            #expect(isPlainZero(expression.components.first))
            #expect(expression.isDirty)
            #expect(value(expression.result) == "0")
            #expect(expression.canDelete)
            #expect(expression.deleteWillClear)
            #expect(!expression.radMode)
            #expect(expression.selectedRange == NSRange(location: 0, length: 0))
            #expect(QVRTallixExpression.version == 2)
        }
    }

    @Test("2 + then × gives 2 ×; 2 × ( then + gives 2 +")
    func operatorReplacement() {
        withTestEnvironment { _ in
            #expect(shown(typed("2+*")) == "2 ×")
            #expect(shown(typed("2*(+")) == "2 +")
        }
    }

    @Test("From a new expression ( ) gives a single plain zero; ( × gives a single plain zero without ×")
    func emptyParentheses() {
        withTestEnvironment { _ in
            let closed = typed("()")
            #expect(closed.components.count == 1 && isPlainZero(closed.components.first))
            let multiplied = typed("(*")
            #expect(multiplied.components.count == 1 && isPlainZero(multiplied.components.first))
        }
    }

    @Test(") with no open parenthesis changes nothing and posts nothing")
    func strayCloseParenthesis() {
        withTestEnvironment { environment in
            let expression = typed("2+3")
            let recorder = NotificationRecorder(QVRTallixExpressionDidChange, in: environment, object: expression)
            expression.addOperation(.closeParenthesis)
            #expect(shown(expression) == "2 + 3")
            #expect(recorder.count == 0)
        }
    }

    @Test("5 ( gives (; 5 x² ( gives (; 2 + ( 3 ) ( gives 2 + (")
    func openParenthesisReplacesOperand() {
        withTestEnvironment { _ in
            #expect(shown(typed("5(")) == "(")
            #expect(shown(typed("5@(")) == "(")
            #expect(shown(typed("2+(3)(")) == "2 + (")
        }
    }

    @Test("2 + then Negate gives 2 + and a blank typed number with the minus sign")
    func negateAfterOperator() throws {
        try withTestEnvironment { _ in
            let expression = typed("2+")
            expression.addOperation(.negate)
            #expect(expression.components.count == 3)
            let editable = try #require(expression.currentEditableNumber)
            #expect(editable.string == "-" && editable.isBlank && editable.isNegative)
            #expect(editable.editString == "-0")
        }
    }

    @Test("Negate twice after a closed group cancels; 1/x twice cancels")
    func cancellingPairs() {
        withTestEnvironment { _ in
            let group = typed("(2+3)")
            group.addNegation()
            #expect(shown(group) == "( 2 + 3 ) ±")
            group.addNegation()
            #expect(shown(group) == "( 2 + 3 )")
            let inverted = typed("4")
            inverted.addOperation(.invert)
            inverted.addOperation(.invert)
            #expect(shown(inverted) == "4")
        }
    }

    @Test("A digit after a plain number (a result, a constant) replaces it")
    func digitReplacesPlainNumber() {
        withTestEnvironment { _ in
            let expression = QVRTallixExpression(tallixNumber: testNumber("42"))
            expression.addDigit(7)
            #expect(shown(expression) == "7")
            #expect(expression.currentEditableNumber != nil)
            let withPi = QVRTallixExpression()
            withPi.handleKey(.pi)
            withPi.addDigit(3)
            #expect(shown(withPi) == "3")
        }
    }

    @Test("A digit after 2 + 3 = (3 typed) gives 2 + and the new digit")
    func digitAfterEqual() {
        withTestEnvironment { _ in
            let expression = typed("2+3")
            expression.addOperation(.equal)
            expression.addDigit(9)
            #expect(shown(expression) == "2 + 9")
        }
    }

    @Test("addOrReplaceWithNumber: after 2 + gives 2 + n; after 2 + 3 (typed) gives n; after 2 + blank gives 2 + n")
    func addOrReplace() {
        withTestEnvironment { _ in
            let afterOperator = typed("2+")
            afterOperator.addOrReplaceWithNumber(testNumber("7"))
            #expect(shown(afterOperator) == "2 + 7")
            let afterNumber = typed("2+3")
            afterNumber.addOrReplaceWithNumber(testNumber("7"))
            #expect(shown(afterNumber) == "7")
            let afterBlank = typed("2+")
            afterBlank.addSeparator()
            afterBlank.deleteDigitOrOperation()
            afterBlank.addNegation()
            #expect(afterBlank.currentEditableNumber?.isBlank == true)
            afterBlank.addOrReplaceWithNumber(testNumber("7"))
            #expect(shown(afterBlank) == "2 + 7")
        }
    }

    @Test(
        "deleteDigitOrOperation: 2 + gives 2; an undeletable single typed number is cleared; a single plain number becomes a plain zero"
    )
    func deleting() {
        withTestEnvironment { _ in
            let operatorDeleted = typed("2+")
            operatorDeleted.deleteDigitOrOperation()
            #expect(shown(operatorDeleted) == "2")
            let single = typed("7")
            #expect(single.currentEditableNumber?.canDeleteDigit == false)
            #expect(single.deleteWillClear)
            single.deleteDigitOrOperation()
            #expect(single.components.count == 1 && single.currentEditableNumber?.string == "")
            let plain = QVRTallixExpression(tallixNumber: testNumber("5"))
            plain.deleteDigitOrOperation()
            #expect(plain.components.count == 1 && isPlainZero(plain.components.first))
            let long = typed("75")
            #expect(long.canDelete && !long.deleteWillClear)
            long.deleteDigitOrOperation()
            #expect(shown(long) == "7")
        }
    }

    @Test(
        "clearExpression on 12 + 3 keeps the component of 12 with its number cleared; a result alone becomes a new blank typed number"
    )
    func clearing() throws {
        try withTestEnvironment { _ in
            let expression = typed("12+3")
            let first = try #require(expression.components.first)
            let firstNumber = try #require(first.tallixNumber as? QVRTallixEditableNumber)
            expression.clearExpression()
            #expect(expression.components.count == 1)
            #expect(expression.components.first === first)
            #expect(expression.currentEditableNumber === firstNumber)
            #expect(firstNumber.string == "")
            let result = QVRTallixExpression(tallixNumber: testNumber("9"))
            result.clearExpression()
            #expect(result.components.count == 1)
            #expect(result.currentEditableNumber?.isBlank == true)
        }
    }

    @Test("setExpression: from 2 + 3 = copies the components without Equal; the receiver keeps its uuid")
    func settingExpression() {
        withTestEnvironment { _ in
            let source = typed("2+3")
            source.addOperation(.equal)
            let target = QVRTallixExpression()
            target.setRadMode(true)
            let uuid = target.uuid
            target.setExpression(source)
            #expect(shown(target) == "2 + 3")
            #expect(target.uuid == uuid)
            #expect(target.radMode)
            #expect(zip(target.components, source.components).allSatisfy { $0 !== $1 && $0.isEqual($1) })
        }
    }

    @Test("setRadMode: with the current value posts nothing; with the other value posts one notification")
    func radModeNotifications() {
        withTestEnvironment { environment in
            let expression = QVRTallixExpression()
            let recorder = NotificationRecorder(QVRTallixExpressionDidChange, in: environment, object: expression)
            expression.setRadMode(false)
            #expect(recorder.count == 0)
            expression.setRadMode(true)
            #expect(recorder.count == 1)
            #expect(expression.radMode)
        }
    }

    @Test("Two expressions with the same components are not equal unless they share the uuid")
    func identity() {
        withTestEnvironment { _ in
            let a = typed("1+2")
            let b = typed("1+2")
            #expect(!a.isEqual(b))
            #expect(a.isEqual(a))
            #expect(a.hash == a.uuid.hashValue)
        }
    }

    @Test("Every change posts QVRTallixExpressionDidChange and empties the result cache; setDirty(false) posts nothing")
    func dirtyFlag() {
        withTestEnvironment { environment in
            let expression = typed("2")
            let recorder = NotificationRecorder(QVRTallixExpressionDidChange, in: environment, object: expression)
            _ = expression.result
            expression.addOperation(.add)
            #expect(recorder.count == 1)
            expression.setDirty(false)
            #expect(recorder.count == 1 && !expression.isDirty)
            expression.addDigit(5)
            #expect(recorder.count == 2 && expression.isDirty)
            #expect(value(expression.result) == "7")
        }
    }

    @Test("A separator the typed number cannot take changes nothing and posts nothing")
    func refusedSeparator() {
        withTestEnvironment { environment in
            let expression = typed("1.5")
            let recorder = NotificationRecorder(QVRTallixExpressionDidChange, in: environment, object: expression)
            expression.addSeparator()
            #expect(recorder.count == 0)
            #expect(expression.currentEditableNumber?.string == "1|5")
        }
    }

    @Test("initWithComponents: keeps the very component objects; currentOperation reads the last one")
    func initialisers() {
        withTestEnvironment { _ in
            let list = components(2, QVRTallixOperation.add)
            let expression = QVRTallixExpression(components: list)
            #expect(expression.components.first === list.first)
            #expect(expression.currentOperation == .add)
            #expect(expression.currentNumber == nil)
            let sine = typed("(2)")
            sine.handleKey(.sine)
            #expect(sine.hasTrignometricFunctions)
            let hyperbolic = typed("2")
            hyperbolic.handleKey(.hyperbolicSine)
            #expect(!hyperbolic.hasTrignometricFunctions)
            #expect(!typed("2+3").hasTrignometricFunctions)
        }
    }

    @Test("Editing an empty component list (only an archive can make one) stays harmless")
    func emptyListIsHarmless() {
        withTestEnvironment { _ in
            let expression = QVRTallixExpression(components: [])
            expression.deleteDigitOrOperation()
            #expect(expression.components.count == 1)
            let empty = QVRTallixExpression(components: [])
            empty.addOperation(.closeParenthesis)
            empty.addOperation(.add)
            empty.addNumber(testNumber("3"))
            empty.removeLastNonDoubleArgumentNonParenthesisOperation()
            #expect(shown(empty) == ") +")
            #expect(empty.canDelete)
            #expect(value(QVRTallixExpression(components: []).result) == "0")
        }
    }
}
