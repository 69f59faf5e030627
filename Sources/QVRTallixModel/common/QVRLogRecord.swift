import Foundation

/// One line written through ``QVRLogger``.
public struct QVRLogRecord: Sendable, CustomStringConvertible {
    public enum Kind: String, Sendable {
        case format, exception, error, request
    }

    public let kind: Kind
    /// The filled-in format text given by the caller.
    public let message: String
    /// The text of the caught exception or error object, when there is one.
    public let errorText: String?

    public init(kind: Kind, message: String, errorText: String?) {
        self.kind = kind
        self.message = message
        self.errorText = errorText
    }

    /// The line as written: the message, then the error's text after a colon.
    public var description: String {
        guard let errorText else { return message }
        return "\(message): \(errorText)"
    }
}
