import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Part 2.2: expression evaluation")
struct QVRTallixEvaluationTests {
    /// The value of a list evaluated by a fresh expression (degrees unless `radians`).
    func evaluate(_ list: [QVRTallixComponent], radians: Bool = false) -> String {
        let expression = QVRTallixExpression()
        expression.setRadMode(radians)
        return value(expression.resultForExpression(list))
    }

    @Test("An empty list gives 0; a list holding only Equal gives 0")
    func emptyLists() {
        withTestEnvironment { _ in
            #expect(evaluate([]) == "0")
            #expect(evaluate(components(QVRTallixOperation.equal)) == "0")
        }
    }

    @Test("2 + 3 × 4 gives 14; 2 xʸ 3 xʸ 2 gives 64; 2 xʸ 3 x² gives 512")
    func precedence() {
        withTestEnvironment { _ in
            #expect(evaluate(components(2, QVRTallixOperation.add, 3, QVRTallixOperation.multiply, 4)) == "14")
            #expect(evaluate(components(2, QVRTallixOperation.xPowY, 3, QVRTallixOperation.xPowY, 2)) == "64")
            #expect(evaluate(components(2, QVRTallixOperation.xPowY, 3, QVRTallixOperation.xPow2)) == "512")
        }
    }

    @Test("3 + gives 3; 3 + = gives 6, 3 × = gives 9, 2 xʸ = gives 4")
    func trailingOperators() {
        withTestEnvironment { _ in
            #expect(evaluate(components(3, QVRTallixOperation.add)) == "3")
            #expect(evaluate(components(3, QVRTallixOperation.add, QVRTallixOperation.equal)) == "6")
            #expect(evaluate(components(3, QVRTallixOperation.multiply, QVRTallixOperation.equal)) == "9")
            #expect(evaluate(components(2, QVRTallixOperation.xPowY, QVRTallixOperation.equal)) == "4")
        }
    }

    @Test("( 2 × ) gives 4: a closed group repeats its trailing operator's left operand")
    func closedGroupRepeats() {
        withTestEnvironment { _ in
            let list = components(
                QVRTallixOperation.openParenthesis, 2, QVRTallixOperation.multiply, QVRTallixOperation.closeParenthesis)
            #expect(evaluate(list) == "4")
        }
    }

    @Test("2 × ( 3 gives 6; 2 × ( gives 2; 2 × ( blank typed number gives 2; ( alone gives 0")
    func unclosedGroups() {
        withTestEnvironment { _ in
            #expect(evaluate(components(2, QVRTallixOperation.multiply, QVRTallixOperation.openParenthesis, 3)) == "6")
            #expect(evaluate(components(2, QVRTallixOperation.multiply, QVRTallixOperation.openParenthesis)) == "2")
            let blank = components(
                2, QVRTallixOperation.multiply, QVRTallixOperation.openParenthesis, QVRTallixEditableNumber())
            #expect(evaluate(blank) == "2")
            #expect(evaluate(components(QVRTallixOperation.openParenthesis)) == "0")
        }
    }

    @Test("200 + 10 % gives 220; 200 × 10 % gives 20; 200 + % gives 600")
    func percentRule() {
        withTestEnvironment { _ in
            #expect(evaluate(components(200, QVRTallixOperation.add, 10, QVRTallixOperation.percent)) == "220")
            #expect(evaluate(components(200, QVRTallixOperation.multiply, 10, QVRTallixOperation.percent)) == "20")
            #expect(evaluate(components(200, QVRTallixOperation.add, QVRTallixOperation.percent)) == "600")
        }
    }

    @Test("5 ± gives −5")
    func negateIsPostfix() {
        withTestEnvironment { _ in
            #expect(evaluate(components(5, QVRTallixOperation.negate)) == "-5")
        }
    }

    @Test("30 sin gives the sine of 30 degrees, or of 30 radians in radians mode")
    func sineByMode() {
        withTestEnvironment { _ in
            let degrees = QVRTallixNumber.tallixNumberWithDoubleValue(sin(30.0 * 3.141592653589793 / 180.0))
            #expect(evaluate(components(30, QVRTallixOperation.sin)) == value(degrees))
            #expect(
                QVRTallixExpression(components: components(30, QVRTallixOperation.sin)).result.formattedString == "0.5")
            let radians = evaluate(components(30, QVRTallixOperation.sin), radians: true)
            #expect(radians == value(QVRTallixNumber.tallixNumberWithDoubleValue(sin(30.0))))
        }
    }

    @Test("1 ÷ 0 gives not-a-number without any log line from the passes")
    func divisionByZero() {
        withTestEnvironment { environment in
            #expect(evaluate(components(1, QVRTallixOperation.divide, 0)) == "NaN")
            #expect(environment.loggedLines.isEmpty)
        }
    }

    @Test("÷ 5 gives not-a-number and one while evaulating log line")
    func operatorWithoutLeftOperand() {
        withTestEnvironment { environment in
            #expect(evaluate(components(QVRTallixOperation.divide, 5)) == "NaN")
            #expect(environment.loggedLines.count == 1)
            #expect(environment.loggedLines.first?.hasPrefix("while evaulating (÷, 5)") == true)
        }
    }

    @Test("2 + ( ÷ 5 ) gives not-a-number: the group fails alone with one log line")
    func failingGroup() {
        withTestEnvironment { environment in
            let list = components(
                2, QVRTallixOperation.add, QVRTallixOperation.openParenthesis, QVRTallixOperation.divide, 5,
                QVRTallixOperation.closeParenthesis)
            #expect(evaluate(list) == "NaN")
            #expect(environment.loggedLines.count == 1)
        }
    }

    @Test("An Equal in the middle of a list acts as if it stood at the end")
    func equalInTheMiddle() {
        withTestEnvironment { _ in
            #expect(evaluate(components(3, QVRTallixOperation.equal, QVRTallixOperation.add)) == "6")
            #expect(evaluate(components(2, QVRTallixOperation.equal, QVRTallixOperation.add, 3)) == "5")
        }
    }

    /// 2 × ( 3 + 4 ) x² − 10 % =, the worked example of Part 2.2.
    func workedExample() -> [QVRTallixComponent] {
        components(
            2, QVRTallixOperation.multiply, QVRTallixOperation.openParenthesis, 3, QVRTallixOperation.add, 4,
            QVRTallixOperation.closeParenthesis, QVRTallixOperation.xPow2, QVRTallixOperation.subtract, 10,
            QVRTallixOperation.percent, QVRTallixOperation.equal)
    }

    @Test("The input list of every pass is unchanged afterwards")
    func inputsUnchanged() throws {
        try withTestEnvironment { _ in
            let expression = QVRTallixExpression()
            let list = workedExample() + components(QVRTallixOperation.add, QVRTallixEditableNumber(string: "1|5"))
            let before = list.map { $0 }
            let text = QVRTallixComponent.listDescription(list)
            _ = try expression.evaluateParenthesis(list)
            _ = try expression.evaluateFunctions(list)
            _ = try expression.evaluateExponents(list)
            _ = try expression.evaluateMultiplyDivide(list)
            _ = expression.evaluateAddSubtract(list)
            _ = expression.evaluateForDisplay(list)
            _ = expression.resultForExpression(list)
            #expect(list.count == before.count)
            #expect(zip(list, before).allSatisfy { $0 === $1 })
            #expect(QVRTallixComponent.listDescription(list) == text)
            #expect((list.last?.tallixNumber as? QVRTallixEditableNumber)?.string == "1|5")
            #expect(list.allSatisfy { $0.isOperation || value($0.tallixNumber) != "absent" })
        }
    }

    @Test("The worked example 2 × ( 3 + 4 ) x² − 10 % = gives 88.2, pass by pass")
    func workedExamplePasses() throws {
        try withTestEnvironment { _ in
            let expression = QVRTallixExpression()
            let list = workedExample()
            let pass2 = try expression.evaluateParenthesis(list)
            #expect(QVRTallixComponent.listDescription(pass2) == "(2, ×, 7, ², −, 10, %, =)")
            let pass3 = try expression.evaluateFunctions(pass2)
            #expect(QVRTallixComponent.listDescription(pass3) == "(2, ×, 49, −, 9.8, =)")
            let pass5 = try expression.evaluateMultiplyDivide(try expression.evaluateExponents(pass3))
            #expect(QVRTallixComponent.listDescription(pass5) == "(98, −, 9.8, =)")
            #expect(value(expression.evaluateAddSubtract(pass5)) == "88.2")
            #expect(value(expression.resultForExpression(list)) == "88.2")
        }
    }

    @Test("Two numbers in a row reach the add/subtract fallback: not-a-number and its log line")
    func addSubtractFallback() {
        withTestEnvironment { environment in
            #expect(evaluate(components(2, 3, 4)) == "NaN")
            #expect(environment.loggedLines == ["Couldn't handle add/subtract 100000 (2, 3, 4)"])
        }
    }

    @Test("The display tail after 2 + 3 × is 3 ×; after 2 + 3 it is the whole list")
    func displayTail() {
        withTestEnvironment { _ in
            let expression = QVRTallixExpression()
            let tail = expression.evaluateForDisplay(
                components(2, QVRTallixOperation.add, 3, QVRTallixOperation.multiply))
            #expect(QVRTallixComponent.listDescription(tail) == "(3, ×)")
            let whole = expression.evaluateForDisplay(components(2, QVRTallixOperation.add, 3))
            #expect(whole.count == 3)
            #expect(expression.evaluateForDisplay([]).isEmpty)
        }
    }

    @Test("A function after an operator applies to the display tail: 2 × sin is 2 × sin 2")
    func functionAfterOperator() {
        withTestEnvironment { _ in
            let result = evaluate(components(2, QVRTallixOperation.multiply, QVRTallixOperation.sin))
            let expected = testNumber("2").multiply(testNumber("2").sin(false))
            #expect(result == value(expected))
        }
    }

    @Test(
        "The double-argument operators of passes 4 and 5",
        arguments: [
            (QVRTallixOperation.yPowX, "6561"), (.yRtX, "2"), (.xEEY, "8000"), (.xRtY, "1.1472026904398771"),
            (.divide, "2.6666666666666666666666666666666666667"),
        ])
    func binaryOperators(_ operation: QVRTallixOperation, _ expected: String) {
        withTestEnvironment { _ in
            let result = evaluate(components(8, operation, 3))
            if operation == .xRtY {
                #expect(abs((QVRTallixDecimal(string: result)?.doubleValue ?? 0) - 1.1472026904398771) < 1e-15)
            } else {
                #expect(result.hasPrefix(String(expected.prefix(12))))
            }
        }
    }

    @Test("XLOGY takes the logarithm of the left operand to the base of the right one")
    func logarithmToABase() {
        withTestEnvironment { _ in
            let result = QVRTallixDecimal(string: evaluate(components(8, QVRTallixOperation.xLogY, 2)))
            #expect(abs((result?.doubleValue ?? 0) - 3) < 1e-12)
        }
    }

    @Test("result is cached until the expression is marked dirty")
    func resultCache() {
        withTestEnvironment { _ in
            let expression = typed("2+3")
            let first = expression.result
            #expect(expression.result === first)
            expression.addDigit(1)
            #expect(expression.result !== first)
            #expect(value(expression.result) == "33")
        }
    }
}
