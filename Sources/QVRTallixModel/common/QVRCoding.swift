import Foundation

/// A class whose objects are written to and read from keyed archives (``QVRKeyedArchiver``,
/// ``QVRKeyedUnarchiver``) under the spec's class name.
public protocol QVRCoding: AnyObject {
    /// The class name written to archives: the spec's name, the same on every platform.
    static var archiveClassName: String { get }
    /// Writes the object's keys.
    func encode(with coder: QVRKeyedArchiver)
    /// Reads an object from its keys; none when they cannot make one.
    init?(coder: QVRKeyedUnarchiver)
}
