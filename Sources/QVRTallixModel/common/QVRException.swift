import Foundation

/// A failure of the kind the spec calls an exception of the platform's exception class: raised by
/// a step, caught at one of the fixed points the Parts name and turned into a value there.
public struct QVRException: Error, Sendable, Equatable, CustomStringConvertible {
    public let name: String
    public let reason: String

    public init(name: String, reason: String) {
        self.name = name
        self.reason = reason
    }

    public var description: String { "\(name): \(reason)" }

    /// A range or index that a step needed and did not find (NSRangeException).
    public static func range(_ reason: String) -> QVRException {
        QVRException(name: "NSRangeException", reason: reason)
    }

    /// An argument that a step cannot use (NSInvalidArgumentException).
    public static func invalidArgument(_ reason: String) -> QVRException {
        QVRException(name: "NSInvalidArgumentException", reason: reason)
    }
}
