import Foundation

/// Reads keyed archives written by ``QVRKeyedArchiver``, from any bytes, without ever trapping.
///
/// The structure is checked as it is read: every reference must be in range, every object must
/// name its class, and a class must be in the allowed list given by the caller (lists and
/// dictionaries are always allowed). A violation makes ``unarchivedObject(ofClasses:from:)``
/// throw, so that hostile bytes yield the caller's fallback. Values of the wrong kind read as
/// absent (objects), false or 0 (booleans and numbers).
public final class QVRKeyedUnarchiver {
    static let maximumDepth = 64

    private let objects: [Any]
    private let top: [String: Any]
    private let allowedClasses: [String: any QVRCoding.Type]
    private var records: [[String: Any]]
    private var decoded: [Int: Any] = [:]
    private var inProgress: Set<Int> = []
    /// The indices of the objects whose `init?(coder:)` runs, innermost last.
    private var decodingIndices: [Int] = []

    /// The first problem met while decoding, if any.
    public private(set) var failure: QVRArchiveError?

    /// Opens an archive; throws when the bytes are no archive of ours.
    public init(data: Data, allowedClasses: [any QVRCoding.Type]) throws {
        let plist = try QVRPropertyListReader.propertyList(from: data)
        guard let archive = plist as? [String: Any],
            archive["$archiver"] as? String == QVRKeyedArchiver.archiverName,
            let objects = archive["$objects"] as? [Any],
            let top = archive["$top"] as? [String: Any]
        else { throw QVRArchiveError.malformed("not a keyed archive") }
        self.objects = objects
        self.top = top
        self.records = [top]
        var classes: [String: any QVRCoding.Type] = [:]
        for type in allowedClasses { classes[type.archiveClassName] = type }
        self.allowedClasses = classes
    }

    // MARK: - Whole archives

    /// The root object of an archive, decoded with the allowed classes; throws when the archive
    /// is malformed or names a class outside the list.
    public static func unarchivedObject(ofClasses classes: [any QVRCoding.Type], from data: Data) throws -> Any? {
        let unarchiver = try QVRKeyedUnarchiver(data: data, allowedClasses: classes)
        let root = unarchiver.decodeObject(forKey: "root")
        if let failure = unarchiver.failure { throw failure }
        return root
    }

    /// The root object of the archive in the file at `path`; none when there is no such file.
    public static func unarchiveObjectWithFile(_ path: String, classes: [any QVRCoding.Type]) throws -> Any? {
        guard FileManager.default.fileExists(atPath: path) else { return nil }
        let data = try Data(contentsOf: URL(fileURLWithPath: path))
        return try unarchivedObject(ofClasses: classes, from: data)
    }

    // MARK: - Reading keys of the current object

    public func containsValue(forKey key: String) -> Bool {
        currentRecord[key] != nil
    }

    /// The object under `key`: a decoded object, list, dictionary, text, number, date or data.
    public func decodeObject(forKey key: String) -> Any? {
        guard let item = currentRecord[key] else { return nil }
        return resolve(item, depth: records.count)
    }

    /// The text under `key`, or none when absent or not a text.
    public func decodeString(forKey key: String) -> String? {
        decodeObject(forKey: key) as? String
    }

    /// The boolean under `key`; false when absent or not a boolean or number.
    public func decodeBool(forKey key: String) -> Bool {
        guard let item = currentRecord[key] else { return false }
        if Self.isBoolean(item), let flag = item as? Bool { return flag }
        return Self.integer(from: item).map { $0 != 0 } ?? false
    }

    /// The integer under `key`; 0 when absent, not a whole number or out of range.
    public func decodeInteger(forKey key: String) -> Int {
        currentRecord[key].flatMap(Self.integer(from:)) ?? 0
    }

    /// The number under `key`; 0 when absent or not a number.
    public func decodeDouble(forKey key: String) -> Double {
        guard let item = currentRecord[key], !Self.isBoolean(item), !(item is String) else { return 0 }
        if let number = item as? Double { return number }
        if let number = item as? Int { return Double(number) }
        return (item as? NSNumber)?.doubleValue ?? 0
    }

    /// Makes `object` the answer to every further reference to the object being decoded, before
    /// its `init?(coder:)` has finished: call it from that initialiser once the object exists, so
    /// that objects that refer to each other decode (a unit's category lists the unit, Part 5.1).
    /// Until it is called, a reference back to an object being decoded is a cycle and fails.
    public func registerDecodedObject(_ object: AnyObject) {
        guard let index = decodingIndices.last else { return }
        decoded[index] = object
    }

    // MARK: - Resolving

    private var currentRecord: [String: Any] { records[records.count - 1] }

    /// Whether a property-list value is a boolean (plain `is Bool` also matches numbers on Linux).
    public static func isBoolean(_ item: Any) -> Bool {
        type(of: item) == Bool.self
    }

    static func integer(from item: Any) -> Int? {
        if isBoolean(item) || item is String { return nil }
        if let number = item as? Int { return number }
        guard let number = item as? NSNumber else { return nil }
        let value = number.doubleValue
        guard value.isFinite, value == value.rounded(), abs(value) < 9.0e18 else { return nil }
        return Int(value)
    }

    /// A scalar of the property list as a Swift value: Bool, Int, Double, String, Date or Data.
    static func normalizedScalar(_ item: Any) -> Any? {
        if isBoolean(item) || item is String || item is Date || item is Data { return item }
        if let number = integer(from: item) { return number }
        if let number = item as? Double { return number }
        if let number = item as? NSNumber { return number.doubleValue }
        return nil
    }

    private func fail(_ error: QVRArchiveError) {
        if failure == nil { failure = error }
    }

    private func resolve(_ item: Any, depth: Int) -> Any? {
        if let scalar = Self.normalizedScalar(item) { return scalar }
        switch item {
        case let dictionary as [String: Any]:
            guard dictionary.count == 1, let index = dictionary["$ref"].flatMap(Self.integer(from:)) else {
                fail(.malformed("a value in place that is no reference"))
                return nil
            }
            return object(at: index, depth: depth)
        default:
            fail(.malformed("a value of an unknown kind"))
            return nil
        }
    }

    private func object(at index: Int, depth: Int) -> Any? {
        guard index >= 0, index < objects.count else {
            fail(.malformed("reference \(index) out of range"))
            return nil
        }
        if index == 0 { return nil }
        if let done = decoded[index] { return done }
        guard depth < Self.maximumDepth else {
            fail(.tooDeep)
            return nil
        }
        guard !inProgress.contains(index) else {
            fail(.cycle)
            return nil
        }
        guard let record = objects[index] as? [String: Any],
            let classItem = record["$class"] as? [String: Any],
            let classIndex = classItem["$ref"].flatMap(Self.integer(from:)),
            classIndex > 0, classIndex < objects.count,
            let classRecord = objects[classIndex] as? [String: Any],
            let className = classRecord["$classname"] as? String
        else {
            if objects[index] is String { return objects[index] }
            fail(.malformed("object \(index) names no class"))
            return nil
        }
        inProgress.insert(index)
        defer { inProgress.remove(index) }
        let result: Any?
        switch className {
        case "NSArray", "NSMutableArray":
            result = list(from: record, depth: depth)
        case "NSDictionary", "NSMutableDictionary":
            result = dictionary(from: record, depth: depth)
        default:
            guard let type = allowedClasses[className] else {
                fail(.classNotAllowed(className))
                return nil
            }
            records.append(record)
            decodingIndices.append(index)
            result = type.init(coder: self)
            decodingIndices.removeLast()
            records.removeLast()
            if result == nil { decoded[index] = nil }
        }
        if let result { decoded[index] = result }
        return result
    }

    private func list(from record: [String: Any], depth: Int) -> [Any]? {
        guard let items = record["NS.objects"] as? [Any] else {
            fail(.malformed("a list without its objects"))
            return nil
        }
        return items.compactMap { resolve($0, depth: depth + 1) }
    }

    private func dictionary(from record: [String: Any], depth: Int) -> [String: Any]? {
        guard let keys = record["NS.keys"] as? [Any], let values = record["NS.objects"] as? [Any],
            keys.count == values.count
        else {
            fail(.malformed("a dictionary whose keys and objects do not match"))
            return nil
        }
        var result: [String: Any] = [:]
        for (keyItem, valueItem) in zip(keys, values) {
            guard let key = resolve(keyItem, depth: depth + 1) as? String else {
                fail(.malformed("a dictionary key that is no text"))
                continue
            }
            if let value = resolve(valueItem, depth: depth + 1) { result[key] = value }
        }
        return result
    }
}
