import Foundation

/// Reads the values of the catalogue's property lists (Parts 5.1, 5.2) the way the platform's
/// `boolValue` and `unsignedLongLongValue` read a property-list object, without ever trapping on
/// a value of the wrong kind: a malformed value reads as the fallback of its key.
enum QVRTallixCatalogueValue {
    /// The boolean value of a property-list object: a boolean as it is, a number is true when it
    /// is not zero, a text as the platform reads "YES", "true" or "1" (`NSString boolValue`);
    /// anything else (absent included) is false.
    static func bool(_ value: Any?) -> Bool {
        switch value {
        case nil:
            return false
        case let flag as Bool:
            return flag
        case let number as Int:
            return number != 0
        case let number as Double:
            return number != 0 && !number.isNaN
        case let text as String:
            return (text as NSString).boolValue
        case let number as NSNumber:
            return number.boolValue
        default:
            return false
        }
    }

    /// The unsigned value of a property-list object: a whole number as it is, a boolean as 1 or
    /// 0, a finite non-negative double without its fraction. Anything else (absent, a negative
    /// number, a text, a number beyond the 64-bit range) is 0.
    static func unsigned(_ value: Any?) -> UInt64 {
        switch value {
        case nil:
            return 0
        case let flag as Bool:
            return flag ? 1 : 0
        case let number as Int:
            return number >= 0 ? UInt64(number) : 0
        case let number as UInt64:
            return number
        case let number as Double:
            guard number.isFinite, number >= 0, number < 18_446_744_073_709_551_616.0 else { return 0 }
            return UInt64(number)
        case let number as NSNumber:
            return unsigned(number.doubleValue)
        default:
            return 0
        }
    }

    /// The text of a property-list object, or none when it is absent or not a text.
    static func string(_ value: Any?) -> String? {
        value as? String
    }
}
