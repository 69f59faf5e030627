import Foundation

/// Runs blocks on the main thread (Part 8.1 `dispatchMain:`).
public protocol QVRMainDispatcher: Sendable {
    func dispatch(_ block: @escaping @MainActor @Sendable () -> Void)
}
