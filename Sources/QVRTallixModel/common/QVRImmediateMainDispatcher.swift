import Foundation

/// The test dispatcher: on the main queue the block runs at once; from elsewhere it runs on the
/// main queue and the caller waits for it.
public struct QVRImmediateMainDispatcher: QVRMainDispatcher {
    public init() {}

    public func dispatch(_ block: @escaping @MainActor @Sendable () -> Void) {
        if QVRMainQueue.isCurrent {
            MainActor.assumeIsolated { block() }
        } else {
            DispatchQueue.main.sync {
                MainActor.assumeIsolated { block() }
            }
        }
    }
}
