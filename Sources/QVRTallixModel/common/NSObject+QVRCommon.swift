import Foundation

extension NSObject {
    /// Runs `block` on the main thread (Part 8.1), in the environment of the caller.
    public func dispatchMain(_ block: @escaping @MainActor @Sendable () -> Void) {
        let environment = QVREnvironment.current
        environment.mainDispatcher.dispatch {
            QVREnvironment.$override.withValue(environment) { block() }
        }
    }
}
