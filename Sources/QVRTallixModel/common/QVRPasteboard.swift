import Foundation

/// The pasteboard type of plain text.
public let QVRPasteboardTypeString = "public.utf8-plain-text"

/// The general pasteboard (AppKit's on macOS; ``QVRGeneralPasteboard`` in this process on Linux).
public protocol QVRPasteboard: AnyObject, Sendable {
    /// Clears the pasteboard and declares the types that will be set; answers the change count.
    @discardableResult func declareTypes(_ types: [String], owner: AnyObject?) -> Int
    /// Sets the text of a declared type; false when the type was not declared.
    @discardableResult func setString(_ string: String, forType type: String) -> Bool
    /// The text of a type, or none.
    func string(forType type: String) -> String?
    /// Sets the bytes of a declared type; false when the type was not declared.
    @discardableResult func setData(_ data: Data, forType type: String) -> Bool
    /// The bytes of a type, or none.
    func data(forType type: String) -> Data?
}
