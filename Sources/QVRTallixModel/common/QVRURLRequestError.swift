import Foundation

/// Why a ``QVRURLRequest`` ended without a response value.
public enum QVRURLRequestError: Error, Sendable, Equatable, CustomStringConvertible {
    /// `start:` was called before `setUrl:`.
    case missingURL
    /// The server answered with a status outside 200–299.
    case httpStatus(Int)
    /// Response type 0 asks for text, and the body is not UTF-8.
    case undecodableText
    /// A response type other than 0 (text) and 1 (bytes).
    case unsupportedResponseType(Int)

    public var description: String {
        switch self {
        case .missingURL: "request without a URL"
        case .httpStatus(let code): "HTTP status \(code)"
        case .undecodableText: "response is not UTF-8 text"
        case .unsupportedResponseType(let type): "unsupported response type \(type)"
        }
    }
}
