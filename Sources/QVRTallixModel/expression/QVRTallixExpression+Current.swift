import Foundation

/// The current expression of Part 2.6.
extension QVRTallixExpression {
    /// The expression in the slot, read from the file "currentExpression" on first use; a new
    /// expression when there is no file or it cannot be read (logged as "decoding current expression").
    public class var currentExpression: QVRTallixExpression {
        let slot = QVRTallixCurrentExpressionSlot.shared
        if let expression = slot.expression { return expression }
        do {
            let decoded = try QVRKeyedUnarchiver.unarchiveObjectWithFile(
                _currentExpressionPath(), classes: archiveClasses)
            if let expression = decoded as? QVRTallixExpression {
                slot.expression = expression
            } else if let decoded {
                throw QVRArchiveError.unexpectedRoot("\(type(of: decoded))")
            }
        } catch {
            QVRLogger.logException(error, descriptionFormat: "decoding current expression")
        }
        if let expression = slot.expression { return expression }
        let made = QVRTallixExpression()
        slot.expression = made
        return made
    }

    /// Puts another expression into the slot and marks it dirty (nothing when it is already there).
    public class func setCurrentExpression(_ expression: QVRTallixExpression) {
        let slot = QVRTallixCurrentExpressionSlot.shared
        guard slot.expression !== expression else { return }
        slot.expression = expression
        expression.setDirty(true)
    }

    /// The path of the current-expression file in the application-support directory.
    public class func _currentExpressionPath() -> String {
        (Bundle.main.applicationSupportDirectory as NSString).appendingPathComponent("currentExpression")
    }
}
