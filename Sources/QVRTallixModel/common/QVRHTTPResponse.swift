import Foundation

/// What an HTTP transport answers for one download: the status code and the body.
public struct QVRHTTPResponse: Sendable, Equatable {
    public let statusCode: Int
    public let body: Data

    public init(statusCode: Int = 200, body: Data) {
        self.statusCode = statusCode
        self.body = body
    }

    /// A successful answer with a text body.
    public init(statusCode: Int = 200, text: String) {
        self.init(statusCode: statusCode, body: Data(text.utf8))
    }
}
