import Foundation

/// The text forms of Part 2.4.
extension QVRTallixExpression {
    /// The operations written without a blank before them.
    static let operationsWithoutBlankBefore: Set<QVRTallixOperation> = [
        .factorial, .xPow2, .xPow3, .closeParenthesis,
    ]

    /// The expression and its result on one line: "2 + 3 × 4 = 14".
    public var stringDescription: String {
        var text = ""
        var previous: QVRTallixComponent?
        for component in mutableComponents {
            let operation = component.isOperation ? component.operation : .none
            if operation == .equal { continue }
            if !Self.operationsWithoutBlankBefore.contains(operation),
                let previous, !(previous.isOperation && previous.operation == .openParenthesis)
            {
                text += " "
            }
            if let number = component.tallixNumber {
                text += number.formattedString
            } else {
                text += component.editString ?? ""
            }
            previous = component
        }
        return text + " = " + result.formattedString
    }

    /// The same as `stringDescription`.
    public var mailDescription: String { stringDescription }

    /// Each component's `editString` followed by one blank: "1 + 2 ".
    public class func stringFromExpression(_ components: [QVRTallixComponent]) -> String {
        components.map { ($0.editString ?? "") + " " }.joined()
    }
}
