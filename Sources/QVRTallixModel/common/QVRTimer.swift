import Foundation

/// A repeating timer made by a ``QVRScheduler``.
public final class QVRTimer: @unchecked Sendable, Hashable {
    public let interval: TimeInterval
    public let runsAtTermination: Bool
    private weak var scheduler: (any QVRScheduler)?
    private let identifier = UUID()

    init(interval: TimeInterval, runsAtTermination: Bool, scheduler: any QVRScheduler) {
        self.interval = interval
        self.runsAtTermination = runsAtTermination
        self.scheduler = scheduler
    }

    /// Stops the timer.
    public func invalidate() {
        scheduler?.invalidate(self)
    }

    public static func == (lhs: QVRTimer, rhs: QVRTimer) -> Bool { lhs === rhs }

    public func hash(into hasher: inout Hasher) { hasher.combine(identifier) }

    /// Schedules a repeating timer on the main run loop (of the current environment's scheduler)
    /// that runs `block` every `interval` seconds, and once more when the program terminates.
    @discardableResult
    public static func scheduledTimerAndTerminateWithTimeInterval(
        _ interval: TimeInterval,
        block: @escaping @MainActor @Sendable () -> Void
    ) -> QVRTimer {
        let environment = QVREnvironment.current
        return environment.scheduler.scheduleRepeating(interval: interval, runsAtTermination: true) {
            QVREnvironment.$override.withValue(environment) { block() }
        }
    }

    /// The target–selector form: every `interval` seconds `selector` is applied to `target`.
    @discardableResult
    public static func scheduledTimerAndTerminateWithTimeInterval<Target: Sendable>(
        _ interval: TimeInterval,
        target: Target,
        selector: @escaping @MainActor @Sendable (Target, Any?) -> Void,
        userInfo: (any Sendable)?
    ) -> QVRTimer {
        scheduledTimerAndTerminateWithTimeInterval(interval) { selector(target, userInfo) }
    }
}
