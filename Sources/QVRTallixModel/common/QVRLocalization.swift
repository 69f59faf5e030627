import Foundation
import Synchronization

/// Localised texts from the library's own strings tables (`<language>.lproj/<table>.strings`).
///
/// A key missing from the table yields the key itself (every lookup passes an empty default).
/// The language follows the user's locale (``QVRUserLocale``) and falls back to English.
public enum QVRLocalization {
    /// The name of the default table.
    public static let defaultTable = "Localizable"

    private static let cache = Mutex<[String: [String: String]]>([:])

    /// The localised text of `key` in `table` (the default table when none).
    public static func localizedString(_ key: String, table: String? = nil) -> String {
        localizedString(key, table: table, localizations: preferredLocalizations())
    }

    /// The localised text of `key` in `table`, looked up in the given localisations in order.
    public static func localizedString(_ key: String, table: String?, localizations: [String]) -> String {
        guard let resources = QVREnvironment.current.resourcesURL else { return key }
        let tableName = table ?? defaultTable
        for localization in localizations {
            let strings = loadTable(tableName, localization: localization, resources: resources)
            if let value = strings[key] { return value }
        }
        return key
    }

    /// The localisations to search for the user's locale: its language, then English.
    public static func preferredLocalizations(for locale: Locale = QVRUserLocale.current) -> [String] {
        var result: [String] = []
        if let language = locale.language.languageCode?.identifier, language != "en",
            hasLocalization(language)
        {
            result.append(language)
        }
        result.append("en")
        return result
    }

    /// Whether the resources hold `<localization>.lproj`.
    public static func hasLocalization(_ localization: String) -> Bool {
        guard let resources = QVREnvironment.current.resourcesURL else { return false }
        var isDirectory: ObjCBool = false
        let path = resources.appendingPathComponent(localization + ".lproj").path
        return FileManager.default.fileExists(atPath: path, isDirectory: &isDirectory) && isDirectory.boolValue
    }

    private static func loadTable(_ table: String, localization: String, resources: URL) -> [String: String] {
        let url =
            resources
            .appendingPathComponent(localization + ".lproj", isDirectory: true)
            .appendingPathComponent(table + ".strings")
        let key = url.path
        if let cached = cache.withLock({ $0[key] }) { return cached }
        var strings: [String: String] = [:]
        if let data = try? Data(contentsOf: url) {
            do {
                let plist = try PropertyListSerialization.propertyList(from: data, options: [], format: nil)
                if let dictionary = plist as? [String: Any] {
                    for (name, value) in dictionary {
                        if let text = value as? String { strings[name] = text }
                    }
                }
            } catch {
                QVRLogger.logError(error, descriptionFormat: "reading strings table \(url.lastPathComponent)")
            }
        }
        cache.withLock { $0[key] = strings }
        return strings
    }
}
