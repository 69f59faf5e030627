import Foundation

/// The class state of ``QVRTallixUnitCategory`` (Part 5.2), shared by the class and its
/// subclasses: one per environment (``QVREnvironment/sharedInstance(_:make:)``), so that each
/// test starts with a fresh catalogue, while the running program has one for the process.
final class QVRTallixUnitCatalogue {
    /// The key of the shared instance.
    static let sharedInstanceKey = "QVRTallixUnitCategory.catalogue"

    /// The catalogue, built on first use; none before.
    var allCategories: [QVRTallixUnitCategory]?
    /// The cached default category; none until first asked.
    var gDefaultCategory: QVRTallixUnitCategory?
    /// The cached visible categories; none when they must be rebuilt.
    var gVisibleCategories: [QVRTallixUnitCategory]?
    /// The localisations searched by `localizedString(_:)`, chosen once.
    private var chosenLocalizations: [String]?

    /// The state of the current environment, made on first use.
    static var current: QVRTallixUnitCatalogue {
        QVREnvironment.current.sharedInstance(sharedInstanceKey) { QVRTallixUnitCatalogue() }
    }

    /// The state of the current environment when it was made already.
    static var existing: QVRTallixUnitCatalogue? {
        QVREnvironment.current.existingSharedInstance(sharedInstanceKey, as: QVRTallixUnitCatalogue.self)
    }

    /// The localisations in which the categories' strings tables are searched, chosen on first
    /// use: the platform's normal choice for the user's locale; but when the identifier of the
    /// user's locale is exactly "en_US" or "en_PH" and the resources hold `en-US.lproj`, the
    /// "en-US" localisation is searched first.
    var stringsLocalizations: [String] {
        if let chosenLocalizations { return chosenLocalizations }
        let locale = QVRUserLocale.current
        var chosen = QVRLocalization.preferredLocalizations(for: locale)
        if ["en_US", "en_PH"].contains(locale.identifier), QVRLocalization.hasLocalization("en-US") {
            chosen.insert("en-US", at: 0)
        }
        chosenLocalizations = chosen
        return chosen
    }
}
