import Foundation

/// The process-wide slot of the current expression (Part 2.6), one per environment, with the
/// timer that writes the expression to its file every 10 seconds while it is dirty.
///
/// The spec schedules the timer when the expression class is initialised; here it is scheduled
/// when the slot is first used (by `currentExpression` or `setCurrentExpression:`), which is the
/// same for what the timer does: it only ever writes the expression in the slot. The slot is
/// used on the main thread only.
final class QVRTallixCurrentExpressionSlot: @unchecked Sendable {
    /// The interval of the periodic save.
    static let saveInterval: TimeInterval = 10.0

    var expression: QVRTallixExpression?
    private var timer: QVRTimer?

    static var shared: QVRTallixCurrentExpressionSlot {
        QVREnvironment.current.sharedInstance("QVRTallixExpression.currentExpression") {
            let slot = QVRTallixCurrentExpressionSlot()
            slot.timer = QVRTimer.scheduledTimerAndTerminateWithTimeInterval(saveInterval) { [weak slot] in
                slot?.saveIfDirty()
            }
            return slot
        }
    }

    /// Writes the expression in the slot when it is dirty, then marks it clean (a failed write is
    /// retried only after the next change).
    func saveIfDirty() {
        guard let expression, expression.isDirty else { return }
        QVRKeyedArchiver.archiveRootObject(expression, toFile: QVRTallixExpression._currentExpressionPath())
        expression.setDirty(false)
    }
}
