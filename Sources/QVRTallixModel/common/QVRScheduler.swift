import Foundation

/// The clock and the repeating timers of the model (Part 8.1).
///
/// The running program uses ``QVRRunLoopScheduler`` (timers on the main run loop); tests use
/// ``QVRVirtualScheduler``, whose time only moves when the test advances it.
public protocol QVRScheduler: AnyObject, Sendable {
    /// The current time of this scheduler's clock.
    var now: Date { get }

    /// Schedules `block` every `interval` seconds until the timer is invalidated. When
    /// `runsAtTermination` is true, ``terminate()`` runs the block once more.
    func scheduleRepeating(
        interval: TimeInterval,
        runsAtTermination: Bool,
        block: @escaping @MainActor @Sendable () -> Void
    ) -> QVRTimer

    /// Stops a timer; its block does not run again.
    func invalidate(_ timer: QVRTimer)

    /// Runs, once, the block of every valid timer scheduled with `runsAtTermination` (the program
    /// calls it before it exits, so that pending changes are written).
    @MainActor func terminate()
}
