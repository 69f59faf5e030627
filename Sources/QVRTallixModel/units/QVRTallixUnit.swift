import Foundation

/// One unit of measure inside a unit category (Part 5.1).
///
/// Every conversion passes through the category's base unit: a number in unit A is converted to
/// the base unit by A, then from the base unit to B by B. The plain `QVRTallixUnit` converts by
/// identity, so a plain unit is the base unit of its category; the other units of a category are
/// ``QVRTallixFormulaUnit``s (Part 5.3) or currency units (Part 5.4).
///
/// Besides converting, a unit carries what the interface shows (a localised title, symbol and
/// modifier, an image name) and a per-user visibility flag kept in the user defaults under
/// "unit.<category name>.<unit name>.hidden".
///
/// A unit made from the catalogue refers to its category without owning it (the category owns
/// its units). A unit decoded from an archive keeps the decoded category alive as well, since
/// nothing else owns it.
open class QVRTallixUnit: NSObject, QVRCoding {
    /// Visibility given by the catalogue's "hidden" value (or the archive's "defaultHidden").
    public private(set) var defaultHidden: Bool
    /// Current visibility: the user's stored choice if one exists, else ``defaultHidden``.
    private var hidden: Bool
    private let storedName: String?
    private var storedTitle: String?
    private var storedSymbol: String
    private var storedModifier: String?
    private var storedModifierTitle: String?
    /// The category the unit belongs to; not owned.
    public private(set) weak var category: QVRTallixUnitCategory?
    /// The decoded category of a decoded unit, which nothing else owns.
    private var decodedCategory: QVRTallixUnitCategory?

    // MARK: - Making units

    /// A unit from one entry of a category's "units" array (Part 5.1, Algorithms): the name, the
    /// title (the localised "title", or the localised name), the symbol (the localised "symbol",
    /// or the empty string), the modifier as written and its localised title, and the catalogue's
    /// "hidden"; then the visibility is read from the user defaults (``_updateHidden()``).
    ///
    /// The category's name must already be set: it names the localisation table. A value of the
    /// wrong kind counts as absent.
    public required init(dictionary: [String: Any], forCategory category: QVRTallixUnitCategory) {
        self.category = category
        let name = QVRTallixCatalogueValue.string(dictionary["name"])
        storedName = name
        storedTitle = category.localizedString(QVRTallixCatalogueValue.string(dictionary["title"]) ?? name)
        storedSymbol = category.localizedString(QVRTallixCatalogueValue.string(dictionary["symbol"]))
        let modifier = QVRTallixCatalogueValue.string(dictionary["modifier"])
        storedModifier = modifier
        storedModifierTitle = modifier.map { category.localizedString($0) }
        defaultHidden = QVRTallixCatalogueValue.bool(dictionary["hidden"])
        hidden = defaultHidden
        super.init()
        _updateHidden()
    }

    // MARK: - Conversion

    /// The number in `fromUnit` converted to `toUnit` through the base unit, or none when an
    /// argument is none.
    ///
    /// Any failure of the two conversions (a decimal overflow, underflow or division by zero, a
    /// malformed formula) is caught and logged with "converting %@(%@) to %@" (source unit,
    /// number, target unit, each by its `description`); the result is then zero. Units of
    /// different categories are not refused: the source's base value is taken as the target's.
    public class func convertNumber(
        _ number: QVRTallixNumber?, fromUnit: QVRTallixUnit?, toUnit: QVRTallixUnit?
    ) -> QVRTallixNumber? {
        guard let number, let fromUnit, let toUnit else { return nil }
        do {
            let baseValue = try fromUnit.convertToBaseUnit(number)
            return try toUnit.convertFromBaseUnit(baseValue)
        } catch {
            QVRLogger.logException(
                error,
                descriptionFormat: "converting \(fromUnit.description)(\(number.description)) to \(toUnit.description)")
            return QVRTallixNumber(number: .zero)
        }
    }

    /// The number in the base unit: the plain unit answers its argument itself.
    open func convertToBaseUnit(_ number: QVRTallixNumber) throws -> QVRTallixNumber {
        number
    }

    /// The number, given in the base unit, in this unit: the plain unit answers its argument itself.
    open func convertFromBaseUnit(_ number: QVRTallixNumber) throws -> QVRTallixNumber {
        number
    }

    // MARK: - Visibility

    /// The user-defaults key of the unit's visibility: "unit.%@.%@.hidden" filled with the
    /// category's name and the unit's name.
    public var hiddenDefaultsKey: String {
        "unit.\(category?.name ?? "(null)").\(storedName ?? "(null)").hidden"
    }

    /// Reads the visibility: the user's stored choice when the user defaults hold one under
    /// ``hiddenDefaultsKey``, else ``defaultHidden``. Nothing is stored and nobody is told.
    open func _updateHidden() {
        let defaults = QVREnvironment.current.userDefaults
        let key = hiddenDefaultsKey
        if defaults.object(forKey: key) != nil {
            hidden = defaults.bool(forKey: key)
        } else {
            hidden = defaultHidden
        }
    }

    /// Whether the unit is hidden from the user.
    open var isHidden: Bool { hidden }

    /// Changes the visibility: nothing happens when `newHidden` is the current value; otherwise
    /// the value changes, the category resets its visible units, and the choice is stored in the
    /// user defaults (from then on it overrides the catalogue, also when it equals
    /// ``defaultHidden``).
    open func setHidden(_ newHidden: Bool) {
        if newHidden == hidden { return }
        hidden = newHidden
        category?._resetVisibleUnits()
        QVREnvironment.current.userDefaults.set(newHidden, forKey: hiddenDefaultsKey)
    }

    // MARK: - What the interface shows

    /// The identifier of the unit inside its category, as in the catalogue; never localised.
    public var name: String? { storedName }

    /// The localised title; the getter answers ``name`` when no title is set.
    open var title: String? {
        get { storedTitle ?? storedName }
        set { storedTitle = newValue }
    }

    /// The localised unit symbol; the empty string when the catalogue gives none.
    public var symbol: String {
        get { storedSymbol }
        set { storedSymbol = newValue }
    }

    /// The catalogue's "modifier" as written (not localised), a qualifier shown in parentheses
    /// after the title; none when absent. Setting it localises ``modifierTitle`` again through
    /// the category.
    public var modifier: String? {
        get { storedModifier }
        set {
            storedModifier = newValue
            storedModifierTitle = newValue.map { category?.localizedString($0) ?? $0 }
        }
    }

    /// The modifier localised; none when there is no modifier.
    public var modifierTitle: String? { storedModifierTitle }

    /// The image of the modifier, "Unit:Modifier:" followed by the modifier as written; none
    /// without a modifier or when there is no such image.
    open var modifierImage: QVRImage? {
        guard let modifier = storedModifier else { return nil }
        return QVRImage.imageNamed("Unit:Modifier:" + modifier)
    }

    /// "%@ (%@)" filled with the title field and the modifier title when there is a modifier
    /// title; otherwise the title field.
    open var titleWithModifier: String? {
        guard let modifierTitle = storedModifierTitle else { return storedTitle }
        return "\(storedTitle ?? "(null)") (\(modifierTitle))"
    }

    /// False.
    open var hasSubUnit: Bool { false }

    /// True (a currency unit answers whether it has a rate, Part 5.4).
    open var isValid: Bool { true }

    /// "%@ %@": the number formatted by `scientificFormattedDecimalNumber(_:maximumSignificantDigits:)`
    /// of the number's own class, then the symbol (so a unit without symbol gives the number and
    /// one space).
    open func formatedStringForNumber(_ number: QVRTallixNumber, maximumSignificantDigits: UInt) -> String {
        let text = type(of: number).scientificFormattedDecimalNumber(
            number.decimalNumber, maximumSignificantDigits: maximumSignificantDigits)
        return "\(text) \(symbol)"
    }

    /// The same with ``QVRTallixNumberMaximumSignificantDigits`` (15).
    open func formatedStringForNumber(_ number: QVRTallixNumber) -> String {
        formatedStringForNumber(number, maximumSignificantDigits: QVRTallixNumberMaximumSignificantDigits)
    }

    /// The name.
    open override var description: String {
        storedName ?? "(null)"
    }

    // MARK: - Ordering

    /// Ascending when the receiver is the smaller unit: both units convert the number one to
    /// their base unit and the two values are compared; equal values are ordered by their
    /// ``titleWithModifier`` (plain string comparison). A unit whose conversion fails counts as
    /// not-a-number, which comes first.
    open func compare(_ other: QVRTallixUnit) -> QVRComparisonResult {
        let result = sizeInBaseUnit().compare(other.sizeInBaseUnit())
        if result != .orderedSame { return result }
        return (titleWithModifier ?? "").compare(other.titleWithModifier ?? "")
    }

    /// One unit in the base unit (not-a-number when the conversion fails).
    func sizeInBaseUnit() -> QVRTallixNumber {
        (try? convertToBaseUnit(QVRTallixNumber(number: .one))) ?? QVRTallixNumber(number: .nan)
    }

    // MARK: - Archiving

    open class var archiveClassName: String { "QVRTallixUnit" }

    /// Writes "category" (the category object), "name", "title", "symbol" and "defaultHidden".
    /// The modifier and its title are not archived.
    open func encode(with coder: QVRKeyedArchiver) {
        coder.encode(category, forKey: "category")
        coder.encode(storedName, forKey: "name")
        coder.encode(storedTitle, forKey: "title")
        coder.encode(storedSymbol, forKey: "symbol")
        coder.encode(defaultHidden, forKey: "defaultHidden")
    }

    /// Reads the keys of ``encode(with:)`` and recomputes the visibility (``_updateHidden()``).
    /// None when "category" is missing or no category, or when a text or boolean key holds a
    /// value of another kind.
    public required init?(coder: QVRKeyedUnarchiver) {
        guard coder.qvrHoldsTextOrNothing(forKey: "name"),
            coder.qvrHoldsTextOrNothing(forKey: "title"),
            coder.qvrHoldsTextOrNothing(forKey: "symbol"),
            coder.qvrHoldsBooleanOrNothing(forKey: "defaultHidden"),
            coder.containsValue(forKey: "category")
        else { return nil }
        storedName = coder.decodeString(forKey: "name")
        storedTitle = coder.decodeString(forKey: "title")
        storedSymbol = coder.decodeString(forKey: "symbol") ?? ""
        storedModifier = nil
        storedModifierTitle = nil
        defaultHidden = coder.decodeBool(forKey: "defaultHidden")
        hidden = defaultHidden
        super.init()
        // The category lists this unit among its units: let that reference find this object.
        coder.registerDecodedObject(self)
        guard let category = coder.decodeObject(forKey: "category") as? QVRTallixUnitCategory else { return nil }
        self.category = category
        decodedCategory = category
        _updateHidden()
    }
}
