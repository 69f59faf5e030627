import Foundation

/// The class operations of Part 5.2: the catalogue, the default category and the visible
/// categories. Their state lives in the environment (``QVRTallixUnitCatalogue``).
extension QVRTallixUnitCategory {
    /// The catalogue, built on first use from the configuration's "categories" (an array of
    /// category dictionaries): one category per dictionary, of the class its "class" names (the
    /// receiving class when it names none), sorted by title. Later calls answer the same list;
    /// a later change of the configuration does not rebuild it. Without a usable "categories"
    /// value the catalogue is empty; entries that are no dictionaries are skipped.
    public class var allCategories: [QVRTallixUnitCategory] {
        let catalogue = QVRTallixUnitCatalogue.current
        if let built = catalogue.allCategories { return built }
        var list: [QVRTallixUnitCategory] = []
        let entries = QVRConfiguration.sharedConfiguration.object(forKey: "categories") as? [Any] ?? []
        for entry in entries {
            guard let dictionary = entry as? [String: Any] else { continue }
            let categoryClass = QVRTallixUnitClassRegistry.categoryClass(named: dictionary["class"]) ?? self
            list.append(categoryClass.init(dictionary: dictionary, stringsDictionary: nil))
        }
        list.sort { $0.compare($1) == .orderedAscending }
        if let built = catalogue.allCategories { return built }
        catalogue.allCategories = list
        return list
    }

    /// The first category of the catalogue whose name equals `name`, or none.
    public class func categoryNamed(_ name: String?) -> QVRTallixUnitCategory? {
        guard let name else { return nil }
        return allCategories.first { $0.name == name }
    }

    /// The user's default category: the one named under "DefaultCategory" in the user defaults
    /// ("Temperature" when nothing is stored) while it exists and is not hidden; otherwise the
    /// first visible category (not stored).
    public class var defaultCategory: QVRTallixUnitCategory? {
        let catalogue = QVRTallixUnitCatalogue.current
        if catalogue.gDefaultCategory == nil {
            let wanted = QVREnvironment.current.userDefaults.string(forKey: "DefaultCategory") ?? "Temperature"
            catalogue.gDefaultCategory = categoryNamed(wanted)
        }
        if let category = catalogue.gDefaultCategory, !category.isHidden {
            return category
        }
        let first = visibleCategories.first
        catalogue.gDefaultCategory = first
        return first
    }

    /// Makes `category` the default category and stores its name under "DefaultCategory";
    /// nothing happens when it is the current default category already.
    public class func setDefaultCategory(_ category: QVRTallixUnitCategory?) {
        let catalogue = QVRTallixUnitCatalogue.current
        if category === catalogue.gDefaultCategory { return }
        catalogue.gDefaultCategory = category
        let defaults = QVREnvironment.current.userDefaults
        if let name = category?.name {
            defaults.set(name, forKey: "DefaultCategory")
        } else {
            defaults.removeObject(forKey: "DefaultCategory")
        }
    }

    /// The categories the user sees: those of the catalogue that are not hidden, in catalogue
    /// order. When none is visible, the category "Temperature" (or the first of the catalogue)
    /// has all its units made visible with `setHidden(false)`, so that the choice is stored, and
    /// is answered alone. Empty with an empty catalogue. Cached until a category's hidden state
    /// flips.
    public class var visibleCategories: [QVRTallixUnitCategory] {
        let catalogue = QVRTallixUnitCatalogue.current
        if let cached = catalogue.gVisibleCategories { return cached }
        let all = allCategories
        var visible = all.objectsPassingTest { !$0.isHidden }
        if visible.isEmpty, let fallback = categoryNamed("Temperature") ?? all.first {
            for unit in fallback.units {
                unit.setHidden(false)
            }
            visible = [fallback]
        }
        catalogue.gVisibleCategories = visible
        return visible
    }
}
