import Foundation

/// Posted on the environment's notification centre, with the category as the object, just
/// before a category's ``QVRTallixUnitCategory/visibleUnits`` change (a unit of it was hidden or
/// shown).
///
/// Part 5.2 announces `visibleUnits` through key-value observing (`willChangeValueForKey:`);
/// Foundation on Linux has none, so this notification stands for it.
public let QVRTallixUnitCategoryVisibleUnitsWillChangeNotification = Notification.Name(
    "QVRTallixUnitCategoryVisibleUnitsWillChangeNotification")

/// Posted on the environment's notification centre, with the category as the object, just after
/// a category's ``QVRTallixUnitCategory/visibleUnits`` changed; stands for the key-value
/// observing announcement `didChangeValueForKey:` of Part 5.2.
public let QVRTallixUnitCategoryVisibleUnitsDidChangeNotification = Notification.Name(
    "QVRTallixUnitCategoryVisibleUnitsDidChangeNotification")

/// One kind of quantity with its units (Part 5.2), one plain unit of which is the base unit.
///
/// The class keeps the catalogue (``allCategories``, built once from the configuration's
/// "categories"), the user's ``defaultCategory``, the ``visibleCategories``, and per category
/// the default source and target units. It localises the catalogue's texts through one strings
/// table per category, named like the category.
open class QVRTallixUnitCategory: NSObject, QVRCoding {
    /// The name of the catalogue's default source unit.
    public let defaultFromUnitName: String?
    /// The name of the catalogue's default target unit.
    public let defaultToUnitName: String?
    private var cachedDefaultFromUnit: QVRTallixUnit?
    private var cachedDefaultToUnit: QVRTallixUnit?
    /// Given at construction and retained; the catalogue passes none and the localisation does
    /// not consult it.
    public let stringsDictionary: [String: Any]?
    private var storedUnits: [QVRTallixUnit]
    private var cachedVisibleUnits: [QVRTallixUnit]?
    private let storedName: String?
    private var storedTitle: String?
    private let storedPrecision: UInt64

    // MARK: - Making categories

    /// A category from one entry of the configuration's "categories" (Part 5.2, Algorithms):
    /// the name; the title (the localised "title", or the localised name); the default unit
    /// names; the precision (0 when absent or malformed); then one unit per entry of "units"
    /// whose "class" names a unit class (other entries are skipped), sorted with the units'
    /// `compare(_:)`. A value of the wrong kind counts as absent.
    public required init(dictionary: [String: Any], stringsDictionary: [String: Any]?) {
        let name = QVRTallixCatalogueValue.string(dictionary["name"])
        storedName = name
        self.stringsDictionary = stringsDictionary
        storedTitle = nil
        defaultFromUnitName = QVRTallixCatalogueValue.string(dictionary["defaultFromUnitName"])
        defaultToUnitName = QVRTallixCatalogueValue.string(dictionary["defaultToUnitName"])
        storedPrecision = QVRTallixCatalogueValue.unsigned(dictionary["precision"])
        storedUnits = []
        super.init()
        storedTitle = localizedString(QVRTallixCatalogueValue.string(dictionary["title"]) ?? name)
        var made: [QVRTallixUnit] = []
        for entry in dictionary["units"] as? [Any] ?? [] {
            guard let unitDictionary = entry as? [String: Any],
                let unitClass = QVRTallixUnitClassRegistry.unitClass(named: unitDictionary["class"])
            else { continue }
            made.append(unitClass.init(dictionary: unitDictionary, forCategory: self))
        }
        storedUnits = made.sorted { $0.compare($1) == .orderedAscending }
    }

    // MARK: - Localisation

    /// The display text of a localisation key: the key looked up in the strings table named
    /// like the category, in the localisations chosen once per environment (for the user locale
    /// identifiers "en_US" and "en_PH", "en-US" first when the resources hold `en-US.lproj`, then
    /// the normal choice for the user's locale). A key missing from the table yields the key
    /// itself; a none key yields the empty string.
    open func localizedString(_ key: String?) -> String {
        guard let key else { return "" }
        return QVRLocalization.localizedString(
            key, table: storedName, localizations: QVRTallixUnitCatalogue.current.stringsLocalizations)
    }

    // MARK: - Units

    /// The first unit whose name equals `name`, or none (a none name finds nothing).
    open func unitNamed(_ name: String?) -> QVRTallixUnit? {
        guard let name else { return nil }
        return storedUnits.first { $0.name == name }
    }

    /// The source unit of a conversion until the user chooses (Part 5.2, Algorithms): the cached
    /// unit while it is visible; else the unit named in the user defaults (the category's name
    /// followed by ".DefaultFromUnit") or by ``defaultFromUnitName``; when that is missing or
    /// hidden the catalogue's unit; then the first visible unit; then the found unit even if
    /// hidden; then the first unit.
    open var defaultFromUnit: QVRTallixUnit? {
        if let cached = cachedDefaultFromUnit, !cached.isHidden { return cached }
        let unit = chooseDefaultUnit(
            key: defaultsKey("DefaultFromUnit"), catalogueName: defaultFromUnitName, last: false)
        cachedDefaultFromUnit = unit
        return unit
    }

    /// Makes `unit` the source unit and stores its name (none removes the stored value); nothing
    /// happens when it is the cached unit already. Visibility is not checked.
    open func setDefaultFromUnit(_ unit: QVRTallixUnit?) {
        if unit === cachedDefaultFromUnit { return }
        cachedDefaultFromUnit = unit
        storeDefaultUnitName(unit?.name, key: defaultsKey("DefaultFromUnit"))
    }

    /// The target unit of a conversion until the user chooses: as ``defaultFromUnit`` with
    /// ".DefaultToUnit" and ``defaultToUnitName``, and the last unit as the final fallback.
    open var defaultToUnit: QVRTallixUnit? {
        if let cached = cachedDefaultToUnit, !cached.isHidden { return cached }
        let unit = chooseDefaultUnit(key: defaultsKey("DefaultToUnit"), catalogueName: defaultToUnitName, last: true)
        cachedDefaultToUnit = unit
        return unit
    }

    /// Makes `unit` the target unit and stores its name; see ``setDefaultFromUnit(_:)``.
    open func setDefaultToUnit(_ unit: QVRTallixUnit?) {
        if unit === cachedDefaultToUnit { return }
        cachedDefaultToUnit = unit
        storeDefaultUnitName(unit?.name, key: defaultsKey("DefaultToUnit"))
    }

    /// The user-defaults key: the category's name followed by ".%@" filled with `suffix`.
    private func defaultsKey(_ suffix: String) -> String {
        (storedName ?? "(null)") + ".\(suffix)"
    }

    /// Steps 2 to 5 of the default unit's algorithm.
    private func chooseDefaultUnit(key: String, catalogueName: String?, last: Bool) -> QVRTallixUnit? {
        let wanted = QVREnvironment.current.userDefaults.string(forKey: key) ?? catalogueName
        let found = unitNamed(wanted)
        var chosen = found
        if chosen == nil || chosen?.isHidden == true {
            chosen = unitNamed(catalogueName)
        }
        if chosen == nil || chosen?.isHidden == true {
            chosen = visibleUnits.first
        }
        if chosen == nil {
            chosen = found ?? (last ? storedUnits.last : storedUnits.first)
        }
        return chosen
    }

    private func storeDefaultUnitName(_ name: String?, key: String) {
        let defaults = QVREnvironment.current.userDefaults
        if let name {
            defaults.set(name, forKey: key)
        } else {
            defaults.removeObject(forKey: key)
        }
    }

    /// True exactly when ``visibleUnits`` is empty.
    open var isHidden: Bool {
        visibleUnits.isEmpty
    }

    /// Told by a unit after its visibility changed: announces the change of ``visibleUnits``
    /// (``QVRTallixUnitCategoryVisibleUnitsWillChangeNotification``, then
    /// ``QVRTallixUnitCategoryVisibleUnitsDidChangeNotification``, object: the category, on the
    /// environment's notification centre), drops the cache, and drops the cached
    /// ``visibleCategories`` when the category's hidden state flipped.
    open func _resetVisibleUnits() {
        let center = QVREnvironment.current.notificationCenter
        center.post(name: QVRTallixUnitCategoryVisibleUnitsWillChangeNotification, object: self)
        let wasHidden = isHidden
        cachedVisibleUnits = nil
        if isHidden != wasHidden {
            QVRTallixUnitCatalogue.existing?.gVisibleCategories = nil
        }
        center.post(name: QVRTallixUnitCategoryVisibleUnitsDidChangeNotification, object: self)
    }

    /// The units that are not hidden, in the order of ``units``; computed when needed and cached
    /// until a unit's visibility changes.
    open var visibleUnits: [QVRTallixUnit] {
        if let cachedVisibleUnits { return cachedVisibleUnits }
        let visible = storedUnits.objectsPassingTest { !$0.isHidden }
        cachedVisibleUnits = visible
        return visible
    }

    // MARK: - What the interface shows

    /// The identifier; names the strings table and the user-defaults keys.
    open var name: String? { storedName }

    /// The localised title.
    open var title: String? {
        get { storedTitle }
        set { storedTitle = newValue }
    }

    /// The category's units, sorted from the smallest to the largest.
    open var units: [QVRTallixUnit] { storedUnits }

    /// The catalogue's "precision", carried for the user interface; nothing in the model uses it.
    open var precision: UInt64 { storedPrecision }

    /// The name followed by ":Category".
    open var imageName: String {
        "\(storedName ?? "(null)"):Category"
    }

    /// The image named ``imageName``, or none.
    open var image: QVRImage? {
        QVRImage.imageNamed(imageName)
    }

    /// "%@ %@" filled with the name and the printed list of units.
    open override var description: String {
        let list =
            storedUnits.isEmpty
            ? "(\n)" : "(\n" + storedUnits.map { "    " + $0.description }.joined(separator: ",\n") + "\n)"
        return "\(storedName ?? "(null)") \(list)"
    }

    /// The titles compared by plain string comparison.
    open func compare(_ other: QVRTallixUnitCategory) -> QVRComparisonResult {
        (title ?? "").compare(other.title ?? "")
    }

    // MARK: - Archiving

    open class var archiveClassName: String { "QVRTallixUnitCategory" }

    /// Writes "name", "title", "units", "defaultFromUnitName", "defaultToUnitName" and
    /// "precision".
    open func encode(with coder: QVRKeyedArchiver) {
        coder.encode(storedName, forKey: "name")
        coder.encode(storedTitle, forKey: "title")
        coder.encode(storedUnits, forKey: "units")
        coder.encode(defaultFromUnitName, forKey: "defaultFromUnitName")
        coder.encode(defaultToUnitName, forKey: "defaultToUnitName")
        coder.encode(Int(clamping: storedPrecision), forKey: "precision")
    }

    /// Reads the keys of ``encode(with:)``; the caches stay empty. None when a key holds a value
    /// of another kind, or "units" holds anything but units.
    public required init?(coder: QVRKeyedUnarchiver) {
        guard coder.qvrHoldsTextOrNothing(forKey: "name"),
            coder.qvrHoldsTextOrNothing(forKey: "title"),
            coder.qvrHoldsTextOrNothing(forKey: "defaultFromUnitName"),
            coder.qvrHoldsTextOrNothing(forKey: "defaultToUnitName"),
            coder.qvrHoldsIntegerOrNothing(forKey: "precision")
        else { return nil }
        storedName = coder.decodeString(forKey: "name")
        storedTitle = coder.decodeString(forKey: "title")
        defaultFromUnitName = coder.decodeString(forKey: "defaultFromUnitName")
        defaultToUnitName = coder.decodeString(forKey: "defaultToUnitName")
        storedPrecision = UInt64(max(0, coder.decodeInteger(forKey: "precision")))
        stringsDictionary = nil
        storedUnits = []
        super.init()
        // The units refer back to this category: let those references find this object.
        coder.registerDecodedObject(self)
        if coder.containsValue(forKey: "units") {
            guard let list = coder.decodeObject(forKey: "units") as? [Any] else { return nil }
            var units: [QVRTallixUnit] = []
            for item in list {
                guard let unit = item as? QVRTallixUnit else { return nil }
                units.append(unit)
            }
            storedUnits = units
        }
    }
}
