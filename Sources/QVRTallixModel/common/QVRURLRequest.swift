import Foundation

/// A download of the common services (Part 8.1), used for the conversion rates (Part 5.4):
/// `init`, `setUrl:`, `setResponseType:` and `start:`, whose completion is called exactly once,
/// on the main thread, when the download ends. The transport is the environment's.
public final class QVRURLRequest: @unchecked Sendable, CustomStringConvertible {
    /// Response type 0: the response value is the body as text (UTF-8).
    public static let responseTypeText = 0
    /// Response type 1: the response value is the body's bytes.
    public static let responseTypeData = 1

    private struct State {
        var url: URL?
        var responseType = QVRURLRequest.responseTypeText
    }

    private let state = QVRLockedValue(State())

    public init() {}

    public var url: URL? { state.withLock { $0.url } }
    public var responseType: Int { state.withLock { $0.responseType } }

    public func setUrl(_ url: URL?) {
        state.withLock { $0.url = url }
    }

    public func setResponseType(_ responseType: Int) {
        state.withLock { $0.responseType = responseType }
    }

    /// Starts the download. `completion` gets the response value (text or bytes, after the
    /// response type) and none, or none and the error: the transport's own, or a
    /// ``QVRURLRequestError``. It runs once, on the main thread, in the caller's environment.
    public func start(_ completion: @escaping @MainActor @Sendable (Any?, (any Error)?) -> Void) {
        let environment = QVREnvironment.current
        let (url, responseType) = state.withLock { ($0.url, $0.responseType) }
        let called = QVRLockedValue(false)
        let finish: @Sendable (Result<any Sendable, any Error>) -> Void = { outcome in
            let first = called.withLock { done -> Bool in
                defer { done = true }
                return !done
            }
            guard first else { return }
            environment.mainDispatcher.dispatch {
                QVREnvironment.$override.withValue(environment) {
                    switch outcome {
                    case .success(let value): completion(value, nil)
                    case .failure(let error): completion(nil, error)
                    }
                }
            }
        }
        guard let url else {
            finish(.failure(QVRURLRequestError.missingURL))
            return
        }
        environment.httpTransport.fetch(url) { answer in
            finish(Self.value(of: answer, responseType: responseType))
        }
    }

    static func value(of answer: Result<QVRHTTPResponse, any Error>, responseType: Int) -> Result<
        any Sendable, any Error
    > {
        switch answer {
        case .failure(let error):
            return .failure(error)
        case .success(let response):
            guard (200..<300).contains(response.statusCode) else {
                return .failure(QVRURLRequestError.httpStatus(response.statusCode))
            }
            switch responseType {
            case responseTypeText:
                guard let text = String(validating: response.body, as: UTF8.self) else {
                    return .failure(QVRURLRequestError.undecodableText)
                }
                return .success(text)
            case responseTypeData:
                return .success(response.body)
            default:
                return .failure(QVRURLRequestError.unsupportedResponseType(responseType))
            }
        }
    }

    public var description: String {
        "QVRURLRequest(GET \(url?.absoluteString ?? "(no URL)"))"
    }
}
