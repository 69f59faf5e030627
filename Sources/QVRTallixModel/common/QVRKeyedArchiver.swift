import Foundation

/// Writes keyed archives: a property list in the shape of Foundation's keyed archives
/// ("$archiver", "$version", "$top", "$objects"; each object a dictionary of its keys with a
/// "$class" reference to a record holding "$classname"), with references written as
/// `{"$ref": index}`. Strings, numbers, booleans, dates and data are written in place; objects,
/// lists and dictionaries as references. An object referred to twice is written once.
///
/// Foundation's own `NSKeyedArchiver` is not used on Linux: it ignores `setClassName:` and its
/// unarchiver ends the process on a missing key or a malformed archive.
public final class QVRKeyedArchiver {
    /// The "$archiver" value of the archives this class writes.
    public static let archiverName = "QVRKeyedArchiver"
    static let version = 100_000

    private var objects: [Any] = ["$null"]
    private var classReferences: [String: Int] = [:]
    private var objectReferences: [ObjectIdentifier: Int] = [:]
    private var records: [[String: Any]] = [[:]]

    public init() {}

    // MARK: - Writing keys

    /// Writes an object under `key`; none writes nothing.
    public func encode(_ object: Any?, forKey key: String) {
        guard let object, let item = plistItem(for: object) else { return }
        records[records.count - 1][key] = item
    }

    public func encode(_ value: Bool, forKey key: String) {
        records[records.count - 1][key] = value
    }

    public func encode(_ value: Int, forKey key: String) {
        records[records.count - 1][key] = value
    }

    public func encode(_ value: Double, forKey key: String) {
        records[records.count - 1][key] = value
    }

    // MARK: - Whole archives

    /// The archive of `rootObject` under the key "root", as a binary property list.
    public static func archivedData(withRootObject rootObject: Any) throws -> Data {
        let archiver = QVRKeyedArchiver()
        archiver.encode(rootObject, forKey: "root")
        return try archiver.finishedData()
    }

    /// Writes the archive of `rootObject` to `path` atomically; false when it could not.
    @discardableResult
    public static func archiveRootObject(_ rootObject: Any, toFile path: String) -> Bool {
        do {
            let data = try archivedData(withRootObject: rootObject)
            let url = URL(fileURLWithPath: path)
            try FileManager.default.createDirectory(
                at: url.deletingLastPathComponent(), withIntermediateDirectories: true)
            try data.write(to: url, options: .atomic)
            return true
        } catch {
            QVRLogger.logError(error, descriptionFormat: "archiving to \(path)")
            return false
        }
    }

    /// The archive of everything written so far, as a binary property list.
    public func finishedData() throws -> Data {
        let plist: [String: Any] = [
            "$archiver": Self.archiverName,
            "$version": Self.version,
            "$top": records[0],
            "$objects": objects,
        ]
        return try PropertyListSerialization.data(fromPropertyList: plist, format: .binary, options: 0)
    }

    // MARK: - Items

    private func plistItem(for value: Any) -> Any? {
        switch value {
        case let text as String: return text
        case let flag as Bool: return flag
        case let number as Int: return number
        case let number as Int64: return Int(number)
        case let number as UInt64: return Int(clamping: number)
        case let number as UInt32: return Int(number)
        case let number as Double: return number
        case let date as Date: return date
        case let data as Data: return data
        case let object as any QVRCoding: return reference(to: object)
        case let list as [Any]: return reference(toList: list)
        case let dictionary as [String: Any]: return reference(toDictionary: dictionary)
        case let number as NSNumber: return number
        default:
            QVRLogger.logFormat("Not archiving a value of class \(type(of: value))")
            return nil
        }
    }

    private func reference(to object: any QVRCoding) -> [String: Any] {
        let identifier = ObjectIdentifier(object)
        if let index = objectReferences[identifier] { return Self.ref(index) }
        let index = objects.count
        objects.append("$placeholder")
        objectReferences[identifier] = index
        records.append(["$class": classReference(type(of: object).archiveClassName)])
        object.encode(with: self)
        objects[index] = records.removeLast()
        return Self.ref(index)
    }

    private func reference(toList list: [Any]) -> [String: Any] {
        let items = list.compactMap { plistItem(for: $0) }
        let classItem = classReference("NSArray")
        let index = objects.count
        objects.append(["$class": classItem, "NS.objects": items] as [String: Any])
        return Self.ref(index)
    }

    private func reference(toDictionary dictionary: [String: Any]) -> [String: Any] {
        var keys: [Any] = []
        var values: [Any] = []
        for (key, value) in dictionary.sorted(by: { $0.key < $1.key }) {
            guard let item = plistItem(for: value) else { continue }
            keys.append(key)
            values.append(item)
        }
        let classItem = classReference("NSDictionary")
        let index = objects.count
        objects.append(["$class": classItem, "NS.keys": keys, "NS.objects": values] as [String: Any])
        return Self.ref(index)
    }

    private func classReference(_ name: String) -> [String: Any] {
        if let index = classReferences[name] { return Self.ref(index) }
        let index = objects.count
        objects.append(["$classname": name, "$classes": [name, "NSObject"]] as [String: Any])
        classReferences[name] = index
        return Self.ref(index)
    }

    static func ref(_ index: Int) -> [String: Any] { ["$ref": index] }
}
