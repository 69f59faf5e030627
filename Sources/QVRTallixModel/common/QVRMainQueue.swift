import Dispatch
import Foundation

/// Whether code runs on the main queue, the executor of the main actor.
///
/// `Thread.isMainThread` is not enough on Linux: once a process parks its main thread in
/// `dispatchMain()` (as the test runner does), a worker thread drains the main queue, and code on
/// the main actor runs there. A dispatch-specific mark on the main queue tells it apart.
public enum QVRMainQueue {
    private static let key = DispatchSpecificKey<Bool>()
    private static let marked: Bool = {
        DispatchQueue.main.setSpecific(key: key, value: true)
        return true
    }()

    /// Whether the caller runs on the main thread or the main queue.
    public static var isCurrent: Bool {
        _ = marked
        return Thread.isMainThread || DispatchQueue.getSpecific(key: key) == true
    }
}
