import Foundation

/// The user's locale. On Linux `Locale.current` does not follow the user's settings, so the
/// model reads them here, in one place: `LC_ALL`, then `LC_NUMERIC`, then `LANG`.
public enum QVRUserLocale {
    /// The user's current locale (the environment's, which tests set explicitly).
    public static var current: Locale { QVREnvironment.current.userLocale }

    /// The locale named by the process's `LC_ALL`, `LC_NUMERIC` or `LANG`; "en_US" when they
    /// name none or only the POSIX locale.
    public static func localeFromProcessEnvironment(
        _ environment: [String: String] = ProcessInfo.processInfo.environment
    ) -> Locale {
        for variable in ["LC_ALL", "LC_NUMERIC", "LANG"] {
            if let value = environment[variable], let identifier = localeIdentifier(fromPOSIXName: value) {
                return Locale(identifier: identifier)
            }
        }
        return Locale(identifier: "en_US")
    }

    /// "de_DE.UTF-8@euro" gives "de_DE"; "C", "POSIX" and the empty text give none.
    public static func localeIdentifier(fromPOSIXName name: String) -> String? {
        var identifier = Substring(name)
        if let dot = identifier.firstIndex(of: ".") { identifier = identifier[..<dot] }
        if let at = identifier.firstIndex(of: "@") { identifier = identifier[..<at] }
        let text = String(identifier).trimmingCharacters(in: .whitespaces)
        if text.isEmpty || text == "C" || text == "POSIX" { return nil }
        guard text.allSatisfy({ $0.isASCII && ($0.isLetter || $0 == "_" || $0 == "-") }) else { return nil }
        return text.replacingOccurrences(of: "-", with: "_")
    }
}
