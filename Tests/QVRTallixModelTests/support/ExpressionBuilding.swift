import Foundation
import QVRTallixModel

/// A component list from numbers (Int, Double text as String) and operations, for tests.
func components(_ items: Any...) -> [QVRTallixComponent] {
    items.map { item -> QVRTallixComponent in
        switch item {
        case let operation as QVRTallixOperation:
            return QVRTallixComponent.componentWithOperation(operation)
        case let number as Int:
            return QVRTallixComponent.componentWithTallixNumber(QVRTallixNumber(number: QVRTallixDecimal(number)))
        case let text as String:
            return QVRTallixComponent.componentWithTallixNumber(testNumber(text))
        case let number as QVRTallixNumber:
            return QVRTallixComponent.componentWithTallixNumber(number)
        default:
            return QVRTallixComponent.componentWithTallixNumber(nil)
        }
    }
}

/// A plain number from decimal text.
func testNumber(_ text: String) -> QVRTallixNumber {
    QVRTallixNumber(number: QVRTallixDecimal(string: text))
}

/// The decimal text of a number's value ("NaN" for not-a-number, "absent" for none).
func value(_ number: QVRTallixNumber?) -> String {
    number?.decimalNumber?.description ?? "absent"
}

@discardableResult
/// A new expression into which each character of `keys` was typed through `keyTypeFromString:`.
func typed(_ keys: String, into expression: QVRTallixExpression = QVRTallixExpression()) -> QVRTallixExpression {
    for character in keys {
        expression.handleKey(QVRTallixExpression.keyTypeFromString(String(character)))
    }
    return expression
}

/// The components' edit strings joined by blanks: "2 + 3".
func shown(_ expression: QVRTallixExpression) -> String {
    expression.components.map { $0.editString ?? "?" }.joined(separator: " ")
}
