import Foundation

/// The live dispatcher: the block runs later on the main queue.
public struct QVRDispatchQueueMainDispatcher: QVRMainDispatcher {
    public init() {}

    public func dispatch(_ block: @escaping @MainActor @Sendable () -> Void) {
        DispatchQueue.main.async {
            MainActor.assumeIsolated { block() }
        }
    }
}
