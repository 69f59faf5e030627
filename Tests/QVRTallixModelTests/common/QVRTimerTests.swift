import Foundation
import Testing

@testable import QVRTallixModel

/// Counts calls from blocks that must be Sendable.
final class CallLog: @unchecked Sendable {
    private let lock = NSLock()
    private var entries: [String] = []

    func append(_ entry: String) {
        lock.lock()
        entries.append(entry)
        lock.unlock()
    }

    var all: [String] {
        lock.lock()
        defer { lock.unlock() }
        return entries
    }

    var count: Int { all.count }
}

/// Part 8.1: repeating timers in virtual time, and dispatch to the main thread.
@Suite("Timers and main-thread dispatch (Part 8.1)")
struct QVRTimerTests {
    @MainActor
    func scheduler(_ env: QVREnvironment) throws -> QVRVirtualScheduler {
        try #require(env.virtualScheduler)
    }

    @Test("a repeating timer fires every interval as virtual time advances, until invalidated")
    @MainActor
    func repeatingTimer() throws {
        try withTestEnvironment { env in
            let clock = try scheduler(env)
            let start = clock.now
            let log = CallLog()
            let timer = QVRTimer.scheduledTimerAndTerminateWithTimeInterval(10) {
                log.append("\(clock.now.timeIntervalSince(start))")
            }
            clock.advance(by: 9.999)
            #expect(log.count == 0)
            clock.advance(by: 25.001)
            #expect(log.all == ["10.0", "20.0", "30.0"])
            #expect(clock.now.timeIntervalSince(start) == 35)
            clock.advance(by: 5)
            #expect(log.count == 4)
            timer.invalidate()
            clock.advance(by: 1000)
            #expect(log.count == 4)
            #expect(clock.scheduledTimerCount == 0)
        }
    }

    @Test("timers fire in the order of their times, each in the environment that scheduled it")
    @MainActor
    func orderAndEnvironment() throws {
        try withTestEnvironment { env in
            let clock = try scheduler(env)
            let log = CallLog()
            QVRTimer.scheduledTimerAndTerminateWithTimeInterval(3) {
                log.append("three")
                #expect(QVREnvironment.current === env)
            }
            QVRTimer.scheduledTimerAndTerminateWithTimeInterval(2) { log.append("two") }
            clock.advance(by: 6)
            #expect(
                log.all == ["two", "three", "two", "three", "two"]
                    || log.all == ["two", "three", "two", "two", "three"])
            #expect(Array(log.all.prefix(3)) == ["two", "three", "two"])
            #expect(log.count == 5)
        }
    }

    @Test("the target–selector form calls the selector on the target with the user info")
    @MainActor
    func targetSelector() throws {
        try withTestEnvironment { env in
            let clock = try scheduler(env)
            let log = CallLog()
            let timer = QVRTimer.scheduledTimerAndTerminateWithTimeInterval(
                120, target: log, selector: { target, info in target.append("poll \(info ?? "none")") }, userInfo: nil)
            #expect(timer.interval == 120)
            #expect(timer.runsAtTermination)
            clock.advance(by: 240)
            #expect(log.all == ["poll none", "poll none"])
        }
    }

    @Test("terminate runs every valid timer once more; invalidated ones stay silent")
    @MainActor
    func terminate() throws {
        try withTestEnvironment { env in
            let clock = try scheduler(env)
            let log = CallLog()
            QVRTimer.scheduledTimerAndTerminateWithTimeInterval(10) { log.append("save") }
            let stopped = QVRTimer.scheduledTimerAndTerminateWithTimeInterval(10) { log.append("stopped") }
            stopped.invalidate()
            clock.terminate()
            #expect(log.all == ["save"])
        }
    }

    @Test("a timer may invalidate itself or schedule another from its block")
    @MainActor
    func changesFromBlocks() throws {
        try withTestEnvironment { env in
            let clock = try scheduler(env)
            let log = CallLog()
            let holder = TimerHolder()
            holder.timer = QVRTimer.scheduledTimerAndTerminateWithTimeInterval(1) {
                log.append("once")
                holder.timer?.invalidate()
                QVRTimer.scheduledTimerAndTerminateWithTimeInterval(5) { log.append("later") }
            }
            clock.advance(by: 11)
            #expect(log.all == ["once", "later", "later"])
        }
    }

    @Test("setNow moves the clock without firing; an overdue timer then fires once and time never runs back")
    @MainActor
    func clockJumps() throws {
        try withTestEnvironment { env in
            let clock = try scheduler(env)
            let log = CallLog()
            let start = clock.now
            QVRTimer.scheduledTimerAndTerminateWithTimeInterval(60) {
                log.append("tick at \(clock.now.timeIntervalSince(start))")
            }
            clock.setNow(start.addingTimeInterval(3600))
            #expect(log.count == 0)
            clock.advance(by: 1)
            #expect(log.all == ["tick at 3600.0"])
            #expect(clock.now == start.addingTimeInterval(3601))
            clock.advance(by: 59)
            #expect(log.all == ["tick at 3600.0", "tick at 3660.0"])
        }
    }

    @Test("a zero interval, a negative or endless advance neither hang nor run the clock back")
    @MainActor
    func degenerateDurations() throws {
        try withTestEnvironment { env in
            let clock = try scheduler(env)
            let log = CallLog()
            let start = clock.now
            let fast = QVRTimer.scheduledTimerAndTerminateWithTimeInterval(0) { log.append("fast") }
            clock.advance(by: 0.0105)
            #expect(log.count == 10)
            fast.invalidate()
            QVRTimer.scheduledTimerAndTerminateWithTimeInterval(10) { log.append("slow") }
            clock.advance(by: -100)
            clock.advance(by: .infinity)
            clock.advance(by: .nan)
            #expect(log.count == 10)
            #expect(clock.now == start.addingTimeInterval(0.0105))
        }
    }

    @Test("the live scheduler keeps timers until invalidated and runs them at termination")
    @MainActor
    func runLoopScheduler() {
        let scheduler = QVRRunLoopScheduler()
        let log = CallLog()
        let kept = scheduler.scheduleRepeating(interval: 3600, runsAtTermination: true) { log.append("kept") }
        let dropped = scheduler.scheduleRepeating(interval: 3600, runsAtTermination: true) { log.append("dropped") }
        let quiet = scheduler.scheduleRepeating(interval: 3600, runsAtTermination: false) { log.append("quiet") }
        dropped.invalidate()
        scheduler.terminate()
        #expect(log.all == ["kept"])
        kept.invalidate()
        quiet.invalidate()
        scheduler.terminate()
        #expect(log.all == ["kept"])
        #expect(abs(scheduler.now.timeIntervalSinceNow) < 60)
    }

    // MARK: - dispatchMain:

    @Test("dispatchMain: on the main thread runs the block at once, in the caller's environment")
    @MainActor
    func dispatchMainOnMainThread() {
        withTestEnvironment { env in
            let log = CallLog()
            NSObject().dispatchMain {
                #expect(QVRMainQueue.isCurrent)
                #expect(QVREnvironment.current === env)
                log.append("ran")
            }
            #expect(log.all == ["ran"])
        }
    }

    @Test("dispatchMain: from another thread runs the block on the main thread")
    func dispatchMainFromBackground() async {
        #expect(!QVRMainQueue.isCurrent || Thread.isMainThread)
        let environment = QVREnvironment.makeForTesting()
        defer { environment.tearDownTestingArtifacts() }
        let log = CallLog()
        await Task.detached {
            QVREnvironment.$override.withValue(environment) {
                NSObject().dispatchMain {
                    log.append(QVRMainQueue.isCurrent ? "main" : "other")
                    log.append(QVREnvironment.current === environment ? "same environment" : "other environment")
                }
            }
        }.value
        #expect(log.all == ["main", "same environment"])
    }

    @Test("the live dispatcher runs the block later on the main thread")
    func liveDispatcher() async {
        let ranOnMain = await withCheckedContinuation { (continuation: CheckedContinuation<Bool, Never>) in
            QVRDispatchQueueMainDispatcher().dispatch {
                continuation.resume(returning: QVRMainQueue.isCurrent)
            }
        }
        #expect(ranOnMain)
    }
}

/// Holds a timer for a block that invalidates it.
final class TimerHolder: @unchecked Sendable {
    var timer: QVRTimer?
}
