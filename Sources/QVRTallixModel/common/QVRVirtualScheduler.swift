import Foundation
import Synchronization

/// A scheduler in virtual time: timers fire only when ``advance(by:)`` moves the clock past
/// their time, in the order of their times, so that tests never sleep.
public final class QVRVirtualScheduler: QVRScheduler {
    private struct Entry: @unchecked Sendable {
        let timer: QVRTimer
        var nextFire: Date
        let block: @MainActor @Sendable () -> Void
    }

    private struct State {
        var now: Date
        var entries: [Entry] = []
    }

    private let state: Mutex<State>

    /// Starts the clock at `start` (by default 2026-01-01 00:00 UTC).
    public init(start: Date = Date(timeIntervalSince1970: 1_767_225_600)) {
        state = Mutex(State(now: start))
    }

    public var now: Date { state.withLock { $0.now } }

    /// The number of timers that are scheduled and valid.
    public var scheduledTimerCount: Int { state.withLock { $0.entries.count } }

    public func scheduleRepeating(
        interval: TimeInterval,
        runsAtTermination: Bool,
        block: @escaping @MainActor @Sendable () -> Void
    ) -> QVRTimer {
        let timer = QVRTimer(interval: interval, runsAtTermination: runsAtTermination, scheduler: self)
        state.withLock { state in
            state.entries.append(
                Entry(timer: timer, nextFire: state.now.addingTimeInterval(max(interval, 0.001)), block: block))
        }
        return timer
    }

    public func invalidate(_ timer: QVRTimer) {
        state.withLock { $0.entries.removeAll { $0.timer === timer } }
    }

    /// Moves the clock forward by `seconds`, firing every timer that falls due on the way, in
    /// the order of their times; the clock stands at each timer's time while its block runs.
    /// A negative or not finite duration moves nothing.
    @MainActor public func advance(by seconds: TimeInterval) {
        guard seconds.isFinite else { return }
        let end = now.addingTimeInterval(max(seconds, 0))
        while let due = nextDue(before: end) {
            due()
        }
        state.withLock { $0.now = max($0.now, end) }
    }

    /// Sets the clock without firing anything (the wall clock jumped). A timer whose time has
    /// passed fires once at the next ``advance(by:)``, like a Foundation timer, not once for
    /// every interval it missed.
    public func setNow(_ date: Date) {
        state.withLock { $0.now = date }
    }

    @MainActor public func terminate() {
        let blocks = state.withLock { $0.entries.filter { $0.timer.runsAtTermination }.map(\.block) }
        for block in blocks { block() }
    }

    /// Takes the earliest timer due no later than `end`, moves the clock to its time (never
    /// back), and reschedules it one interval on, past the intervals it missed; answers its block.
    private func nextDue(before end: Date) -> (@MainActor @Sendable () -> Void)? {
        state.withLock { state in
            guard
                let index = state.entries.indices.min(by: { state.entries[$0].nextFire < state.entries[$1].nextFire }),
                state.entries[index].nextFire <= end
            else { return nil }
            let entry = state.entries[index]
            let fireTime = max(entry.nextFire, state.now)
            state.now = fireTime
            let step = max(entry.timer.interval, 0.001)
            var next = entry.nextFire.addingTimeInterval(step)
            if next <= fireTime {
                let missed = (fireTime.timeIntervalSince(entry.nextFire) / step).rounded(.down)
                next = entry.nextFire.addingTimeInterval((missed + 1) * step)
                if next <= fireTime { next = fireTime.addingTimeInterval(step) }
            }
            state.entries[index].nextFire = next
            return entry.block
        }
    }
}
