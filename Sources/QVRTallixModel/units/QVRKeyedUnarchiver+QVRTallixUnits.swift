import Foundation

/// Checks of archived values used by the unit classes (Parts 5.1 to 5.3), so that a value of the
/// wrong kind refuses the archive instead of being read as absent.
extension QVRKeyedUnarchiver {
    /// True when the key is absent or holds a text.
    func qvrHoldsTextOrNothing(forKey key: String) -> Bool {
        guard containsValue(forKey: key) else { return true }
        return decodeObject(forKey: key) is String
    }

    /// True when the key is absent or holds a boolean or a number.
    func qvrHoldsBooleanOrNothing(forKey key: String) -> Bool {
        guard containsValue(forKey: key) else { return true }
        switch decodeObject(forKey: key) {
        case is String: return false
        case is Bool, is Int, is Double, is NSNumber: return true
        default: return false
        }
    }

    /// True when the key is absent or holds a whole number.
    func qvrHoldsIntegerOrNothing(forKey key: String) -> Bool {
        guard containsValue(forKey: key) else { return true }
        guard let item = decodeObject(forKey: key), !(item is String), !(item is Bool) else { return false }
        return QVRKeyedUnarchiver.integer(from: item) != nil
    }
}
