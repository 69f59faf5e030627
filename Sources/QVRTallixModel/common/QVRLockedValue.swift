import Foundation

/// A value behind a lock, for state that is not `Sendable` itself (configuration values,
/// shared model objects) but must be reachable from any thread.
public final class QVRLockedValue<Value>: @unchecked Sendable {
    private let lock = NSLock()
    private var value: Value

    public init(_ value: Value) {
        self.value = value
    }

    /// Runs `body` with exclusive access to the value.
    public func withLock<Result>(_ body: (inout Value) throws -> Result) rethrows -> Result {
        lock.lock()
        defer { lock.unlock() }
        return try body(&value)
    }
}
