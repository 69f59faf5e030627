import Foundation
import Synchronization

/// The live scheduler: Foundation timers on the main run loop, which fire only while it runs.
public final class QVRRunLoopScheduler: QVRScheduler {
    private struct Entry: @unchecked Sendable {
        let foundationTimer: Timer
        let block: @MainActor @Sendable () -> Void
        let runsAtTermination: Bool
    }

    private let entries = Mutex<[QVRTimer: Entry]>([:])

    public init() {}

    public var now: Date { Date() }

    public func scheduleRepeating(
        interval: TimeInterval,
        runsAtTermination: Bool,
        block: @escaping @MainActor @Sendable () -> Void
    ) -> QVRTimer {
        let timer = QVRTimer(interval: interval, runsAtTermination: runsAtTermination, scheduler: self)
        let foundationTimer = Timer(timeInterval: interval, repeats: true) { _ in
            MainActor.assumeIsolated { block() }
        }
        entries.withLock {
            $0[timer] = Entry(foundationTimer: foundationTimer, block: block, runsAtTermination: runsAtTermination)
        }
        RunLoop.main.add(foundationTimer, forMode: .common)
        return timer
    }

    public func invalidate(_ timer: QVRTimer) {
        let entry = entries.withLock { $0.removeValue(forKey: timer) }
        entry?.foundationTimer.invalidate()
    }

    @MainActor public func terminate() {
        let blocks = entries.withLock { $0.values.filter(\.runsAtTermination).map(\.block) }
        for block in blocks { block() }
    }
}
