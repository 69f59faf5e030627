import Foundation
import Synchronization

/// Announces that configuration values changed (Part 8.1).
public let QVRConfigurationDidChange = Notification.Name("QVRConfigurationDidChange")

/// The configuration of the common services (Part 8.1): keyed values such as "categories" (the
/// unit catalogue, Part 5.2) and "constants" (the built-in constants, Part 4.1).
///
/// Values come from the bundled folder `Configuration/`, one property-list file per key (the
/// file "categories.plist" holds the value of "categories"), and are overridden key by key by
/// the user's file `Configuration.plist` in the application-support directory (a dictionary).
/// A file that cannot be read (missing, malformed, hostile, or a user file that is no
/// dictionary) is logged and left out: a bundled file's key then has no value, and without the
/// user's file the bundled values stand.
public final class QVRConfiguration: @unchecked Sendable {
    /// The configuration of the current environment.
    public static var sharedConfiguration: QVRConfiguration { QVREnvironment.current.configuration }

    private let bundledDirectory: URL?
    private let userFile: URL?
    private let notificationCenter: NotificationCenter
    private let values = QVRLockedValue<[String: Any]?>(nil)

    public init(bundledDirectory: URL?, userFile: URL?, notificationCenter: NotificationCenter) {
        self.bundledDirectory = bundledDirectory
        self.userFile = userFile
        self.notificationCenter = notificationCenter
    }

    /// The value under `key`, or none.
    public func object(forKey key: String) -> Any? {
        currentValues()[key]
    }

    public subscript(key: String) -> Any? { object(forKey: key) }

    /// Reads the files again and posts ``QVRConfigurationDidChange`` when a value changed.
    public func reload() {
        apply(readValues())
    }

    /// Replaces every value (a test's or an embedding program's own configuration) and posts
    /// ``QVRConfigurationDidChange`` when a value changed.
    public func replaceValues(_ newValues: [String: Any]) {
        apply(newValues)
    }

    /// Sets one value (none removes it) and posts ``QVRConfigurationDidChange`` when it changed.
    public func setValue(_ value: Any?, forKey key: String) {
        var updated = currentValues()
        updated[key] = value
        apply(updated)
    }

    private func apply(_ newValues: [String: Any]) {
        let old = values.withLock { state -> [String: Any]? in
            let old = state
            state = newValues
            return old
        }
        let changed = old.map { !NSDictionary(dictionary: $0).isEqual(to: newValues) } ?? true
        if changed {
            notificationCenter.post(name: QVRConfigurationDidChange, object: self)
        }
    }

    private func currentValues() -> [String: Any] {
        if let loaded = values.withLock({ $0 }) { return loaded }
        let read = readValues()
        return values.withLock { state in
            if let loaded = state { return loaded }
            state = read
            return read
        }
    }

    private func readValues() -> [String: Any] {
        var result: [String: Any] = [:]
        let fileManager = FileManager.default
        if let bundledDirectory,
            let names = try? fileManager.contentsOfDirectory(atPath: bundledDirectory.path)
        {
            for name in names.sorted() where name.hasSuffix(".plist") {
                let url = bundledDirectory.appendingPathComponent(name)
                do {
                    result[String(name.dropLast(".plist".count))] = try readPropertyList(url)
                } catch {
                    QVRLogger.logError(error, descriptionFormat: "Ignoring bundled configuration \(name)")
                }
            }
        }
        if let userFile, fileManager.fileExists(atPath: userFile.path) {
            do {
                guard let overrides = try readPropertyList(userFile) as? [String: Any] else {
                    throw QVRArchiveError.unexpectedRoot("not a dictionary")
                }
                result.merge(overrides) { _, user in user }
            } catch {
                QVRLogger.logError(error, descriptionFormat: "Ignoring configuration file \(userFile.path)")
            }
        }
        return result
    }

    /// The property list in the file at `url`, read without trusting its bytes.
    private func readPropertyList(_ url: URL) throws -> Any {
        try QVRPropertyListReader.propertyList(from: try Data(contentsOf: url))
    }
}
