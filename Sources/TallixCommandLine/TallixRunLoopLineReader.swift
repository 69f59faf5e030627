import Foundation
import QVRTallixModel

/// Reads standard input on a thread of its own and hands the lines to the main thread, which
/// keeps running its run loop while it waits: the model's timers (the 10-second save of the
/// current expression) fire while the user thinks, as they do in the application.
public final class TallixRunLoopLineReader: @unchecked Sendable {
    private let lock = NSLock()
    private var lines: [String] = []
    private var finished = false
    private var started = false

    public init() {}

    /// The next line, or none at the end of input; runs the main run loop while waiting.
    @MainActor public func readLine() -> String? {
        startIfNeeded()
        while true {
            lock.lock()
            if !lines.isEmpty {
                let line = lines.removeFirst()
                lock.unlock()
                return line
            }
            let done = finished
            lock.unlock()
            if done { return nil }
            _ = RunLoop.main.run(mode: .default, before: Date(timeIntervalSinceNow: 0.05))
        }
    }

    private func startIfNeeded() {
        lock.lock()
        defer { lock.unlock() }
        guard !started else { return }
        started = true
        let thread = Thread { [self] in
            while let line = Swift.readLine(strippingNewline: true) {
                lock.lock()
                lines.append(line)
                lock.unlock()
            }
            lock.lock()
            finished = true
            lock.unlock()
        }
        thread.start()
    }

    /// Writes what the model keeps pending (the current expression) when the program is
    /// interrupted with Control-C or terminated, then exits with the signal's status.
    @MainActor public static func saveOnInterrupt() {
        for signalNumber in [SIGINT, SIGTERM, SIGHUP] {
            signal(signalNumber, SIG_IGN)
            let source = DispatchSource.makeSignalSource(signal: signalNumber, queue: .main)
            source.setEventHandler {
                MainActor.assumeIsolated { QVREnvironment.current.scheduler.terminate() }
                exit(128 + signalNumber)
            }
            source.resume()
            installedSources.append(source)
        }
    }

    @MainActor private static var installedSources: [any DispatchSourceSignal] = []
}
