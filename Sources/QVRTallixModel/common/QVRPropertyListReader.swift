import Foundation

/// Reads property lists from outside the process (archives, the user's configuration file)
/// without ever trapping: binary ones with ``QVRBinaryPropertyListReader``, XML ones with
/// Foundation (whose XML reader has no kind that crashes it); anything else is malformed.
enum QVRPropertyListReader {
    static func propertyList(from data: Data) throws(QVRArchiveError) -> Any {
        if QVRBinaryPropertyListReader.isBinaryPropertyList(data) {
            return try QVRBinaryPropertyListReader.propertyList(from: data)
        }
        guard isXML(data) else { throw .malformed("not a property list") }
        do {
            return try PropertyListSerialization.propertyList(from: data, options: [], format: nil)
        } catch {
            throw .malformed("not a property list")
        }
    }

    /// Whether the text starts with "<" after a byte-order mark and blanks.
    private static func isXML(_ data: Data) -> Bool {
        var bytes = data.prefix(1024)[...]
        if bytes.starts(with: [0xEF, 0xBB, 0xBF]) { bytes = bytes.dropFirst(3) }
        let first = bytes.first { ![0x20, 0x09, 0x0A, 0x0D].contains($0) }
        return first == UInt8(ascii: "<")
    }
}
