import Foundation

/// Why an archive from outside the process was refused.
public enum QVRArchiveError: Error, Sendable, Equatable, CustomStringConvertible {
    /// The bytes are no property list, or not the archive's structure.
    case malformed(String)
    /// The archive names a class outside the allowed list.
    case classNotAllowed(String)
    /// An object refers to itself, directly or through others.
    case cycle
    /// Objects are nested deeper than any archive of the model.
    case tooDeep
    /// The root object is missing or of another kind than asked for.
    case unexpectedRoot(String)

    public var description: String {
        switch self {
        case .malformed(let reason): "malformed archive: \(reason)"
        case .classNotAllowed(let name): "archive names class \(name) outside the allowed list"
        case .cycle: "archive has a reference cycle"
        case .tooDeep: "archive nests objects too deeply"
        case .unexpectedRoot(let reason): "unexpected root object: \(reason)"
        }
    }
}
