import Foundation
import Synchronization

/// A transport for tests: it answers from a table of scripted answers, at once, on the calling
/// thread; a URL without a scripted answer waits until the test completes it, so that a test
/// can look at the state while a download runs.
public final class QVRStubHTTPTransport: QVRHTTPTransport {
    private struct Pending {
        let url: URL
        let completion: @Sendable (Result<QVRHTTPResponse, any Error>) -> Void
    }

    private struct State {
        var answers: [URL: Result<QVRHTTPResponse, any Error>] = [:]
        var requested: [URL] = []
        var pending: [Pending] = []
    }

    private let state = Mutex(State())

    public init() {}

    /// Answers every later download of `url` with `answer`; none makes them wait again.
    public func setAnswer(_ answer: Result<QVRHTTPResponse, any Error>?, for url: URL) {
        state.withLock { $0.answers[url] = answer }
    }

    /// Every URL fetched so far, oldest first.
    public var requestedURLs: [URL] { state.withLock { $0.requested } }

    /// The URLs of the downloads that wait for ``complete(_:with:)``, oldest first.
    public var pendingURLs: [URL] { state.withLock { $0.pending.map(\.url) } }

    /// Ends the oldest waiting download of `url` with `answer`; false when none waits.
    @discardableResult
    public func complete(_ url: URL, with answer: Result<QVRHTTPResponse, any Error>) -> Bool {
        let pending = state.withLock { state -> Pending? in
            guard let index = state.pending.firstIndex(where: { $0.url == url }) else { return nil }
            return state.pending.remove(at: index)
        }
        pending?.completion(answer)
        return pending != nil
    }

    public func fetch(_ url: URL, completion: @escaping @Sendable (Result<QVRHTTPResponse, any Error>) -> Void) {
        let answer = state.withLock { state -> Result<QVRHTTPResponse, any Error>? in
            state.requested.append(url)
            if let answer = state.answers[url] { return answer }
            state.pending.append(Pending(url: url, completion: completion))
            return nil
        }
        if let answer { completion(answer) }
    }
}
