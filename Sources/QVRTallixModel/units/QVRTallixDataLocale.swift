import Foundation

/// The locale in which stored decimal text is read, whatever the user's own locale (Part 5.1):
/// "en_US", or the system locale when "en_US" cannot be made. The conversion rates of Part 5.4
/// and the constants of the formulas of Part 5.3 are written with "." as the decimal separator.
///
/// A global constant, made once on first use (Swift makes globals lazily and only once), so
/// setting it again never happens.
public let gQVRTallixDataLocale: Locale = {
    let identifier = "en_US"
    if Locale.availableIdentifiers.contains(identifier) {
        return Locale(identifier: identifier)
    }
    return Locale(identifier: "")
}()

/// The decimal separator of ``gQVRTallixDataLocale`` ("."), read once.
let gQVRTallixDataDecimalSeparator: String = {
    let separator = gQVRTallixDataLocale.decimalSeparator ?? "."
    return separator.isEmpty ? "." : separator
}()
