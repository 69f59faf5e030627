import Foundation
import QVRTallixModel

/// Runs `body` in a fresh environment of its own (defaults suite, directories, virtual clock,
/// notification centre, log sink, shared instances), so that tests never see each other's state.
func withTestEnvironment<Result>(
    locale: String = "en_US",
    configuration: [String: Any]? = nil,
    _ body: (QVREnvironment) throws -> Result
) rethrows -> Result {
    let environment = QVREnvironment.makeForTesting(locale: Locale(identifier: locale), configuration: configuration)
    defer { environment.tearDownTestingArtifacts() }
    return try QVREnvironment.$override.withValue(environment) { try body(environment) }
}

extension QVREnvironment {
    /// The lines logged so far in this test environment.
    var loggedLines: [String] { memoryLogSink?.lines ?? [] }

    /// The virtual scheduler of a test environment.
    var virtualScheduler: QVRVirtualScheduler? { scheduler as? QVRVirtualScheduler }

    /// The stub HTTP transport of a test environment (answers scripted by the test).
    var stubHTTPTransport: QVRStubHTTPTransport? { httpTransport as? QVRStubHTTPTransport }
}

/// Counts the notifications of one name posted on an environment's notification centre.
final class NotificationRecorder: @unchecked Sendable {
    private let lock = NSLock()
    private var recorded: [Notification] = []
    private var token: NSObjectProtocol?
    private let center: NotificationCenter

    init(_ name: Notification.Name, in environment: QVREnvironment, object: Any? = nil) {
        center = environment.notificationCenter
        token = center.addObserver(forName: name, object: object, queue: nil) { [weak self] notification in
            guard let self else { return }
            self.lock.lock()
            self.recorded.append(notification)
            self.lock.unlock()
        }
    }

    deinit {
        if let token { center.removeObserver(token) }
    }

    var notifications: [Notification] {
        lock.lock()
        defer { lock.unlock() }
        return recorded
    }

    var count: Int { notifications.count }
}
