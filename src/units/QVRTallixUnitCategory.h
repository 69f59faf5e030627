#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRImageName.h"
#include "common/QVRPropertyList.h"
#include "numbers/QVRComparisonResult.h"

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;
class QVRTallixUnit;

// Posted on the environment's notification centre, with the category as the object, just before
// and just after a category's visibleUnits change (a unit of it was hidden or shown). They stand
// for the platform's key-value observing of the property "visibleUnits", which this platform has
// not.
inline constexpr std::string_view QVRTallixUnitCategoryVisibleUnitsWillChangeNotification =
    "QVRTallixUnitCategoryVisibleUnitsWillChangeNotification";
inline constexpr std::string_view QVRTallixUnitCategoryVisibleUnitsDidChangeNotification =
    "QVRTallixUnitCategoryVisibleUnitsDidChangeNotification";

// One kind of quantity with its units, one plain unit of which is the base unit.
//
// The class keeps the catalogue (allCategories(), built once from the configuration's
// "categories"), the user's default category, the visible categories, and per category the
// default source and target units of a conversion. It localises the catalogue's texts through one
// strings table per category, named like the category.
//
// The catalogue owns the categories and a category owns its units, except a unit decoded on its
// own, which owns the category decoded with it (that category lists the unit without owning it).
class QVRTallixUnitCategory {
 public:
  using Dictionary = QVRPropertyList::Dictionary;

  // A category from one entry of the configuration's "categories": the name, the title (the
  // localised "title", or the localised name), the default unit names and the precision, then one
  // unit per entry of "units" whose "class" names a unit class (other entries are skipped),
  // sorted with the units' compare. A value of the wrong kind counts as absent.
  static std::unique_ptr<QVRTallixUnitCategory> initWithDictionary(
      const Dictionary& dictionary, std::optional<Dictionary> stringsDictionary);
  virtual ~QVRTallixUnitCategory();
  // Identity object: its units point back to it, and the interface keeps it as the chosen one.
  QVRTallixUnitCategory(const QVRTallixUnitCategory&) = delete;
  QVRTallixUnitCategory& operator=(const QVRTallixUnitCategory&) = delete;

  // The catalogue: one category per dictionary of the configuration's "categories", of the
  // class its "class" names (this class when it names none), sorted by title. Built on first use
  // and kept; a later change of the configuration does not rebuild it.
  static const std::vector<QVRTallixUnitCategory*>& allCategories();
  // The first category of the catalogue whose name is `name`, or none.
  static QVRTallixUnitCategory* categoryNamed(std::string_view name);
  // The one named under "DefaultCategory" in the user defaults ("Temperature" when nothing is
  // stored) while it exists and is not hidden; otherwise the first visible category (not stored).
  static QVRTallixUnitCategory* defaultCategory();
  // Makes `category` the default and stores its name (none removes it); nothing happens when it
  // is the default category already.
  static void setDefaultCategory(QVRTallixUnitCategory* category);
  // The categories that are not hidden, in catalogue order. When none is visible, "Temperature"
  // (or the first category) has all its units shown with setHidden(false), so that the choice is
  // stored, and is answered alone. Cached until a category's hidden state flips.
  static std::vector<QVRTallixUnitCategory*> visibleCategories();

  // The text of a localisation key in the strings table named like the category; the key itself
  // when the table lacks it, the empty string for none.
  virtual std::string localizedString(std::optional<std::string_view> key) const;

  // The first unit named `name`, or none.
  virtual QVRTallixUnit* unitNamed(std::optional<std::string_view> name) const;
  // The unit converted from: the cached one while it is visible; else the one named in the user
  // defaults ("<name>.DefaultFromUnit") or by defaultFromUnitName(); when that is missing or
  // hidden the catalogue's; then the first visible unit; then the found unit even if hidden;
  // then the first unit.
  virtual QVRTallixUnit* defaultFromUnit();
  // Makes `unit` the source unit and stores its name (none removes it); nothing happens when it
  // is the cached unit already. Visibility is not checked.
  virtual void setDefaultFromUnit(QVRTallixUnit* unit);
  // The same with "<name>.DefaultToUnit" and defaultToUnitName(), and the last unit at the end.
  virtual QVRTallixUnit* defaultToUnit();
  virtual void setDefaultToUnit(QVRTallixUnit* unit);

  // True exactly when no unit is visible.
  virtual bool isHidden() const;
  // Told by a unit after its visibility changed: announces the change of visibleUnits (will,
  // then did), drops the cache, and drops the cached visible categories when the category's
  // hidden state flipped.
  virtual void _resetVisibleUnits();
  // The units that are not hidden, in the order of units(); cached until a unit's visibility
  // changes.
  virtual std::vector<QVRTallixUnit*> visibleUnits() const;

  // The name followed by ":Category".
  virtual std::string imageName() const;
  virtual QVRImageName image() const;
  // "%@ %@" filled with the name and the printed list of units.
  virtual std::string description() const;
  // The titles by plain string comparison.
  virtual QVRComparisonResult compare(const QVRTallixUnitCategory& other) const;

  // The identifier; names the strings table and the user-defaults keys.
  const std::optional<std::string>& name() const { return _name; }
  const std::optional<std::string>& title() const { return _title; }
  void setTitle(std::optional<std::string> title) { _title = std::move(title); }
  // The units from the smallest to the largest.
  const std::vector<QVRTallixUnit*>& units() const { return _units; }
  // The catalogue's "precision", carried for the user interface.
  std::uint64_t precision() const { return _precision; }
  const std::optional<std::string>& defaultFromUnitName() const { return _defaultFromUnitName; }
  const std::optional<std::string>& defaultToUnitName() const { return _defaultToUnitName; }
  // Given at construction and kept; nothing here consults it.
  const std::optional<Dictionary>& stringsDictionary() const { return _stringsDictionary; }

  // Keyed archive: "name", "title", "units", "defaultFromUnitName", "defaultToUnitName",
  // "precision". Decoding leaves the caches empty.
  virtual std::string_view archiveClassName() const { return "QVRTallixUnitCategory"; }
  virtual std::vector<std::string_view> archiveSuperclassNames() const { return {}; }
  virtual void encodeWithCoder(QVRKeyedArchiver& coder) const;
  // A category of the class the record names; none when a key holds a value of another kind or
  // "units" holds anything but units.
  static std::unique_ptr<QVRTallixUnitCategory> initWithCoder(QVRKeyedUnarchiver& coder);
  static std::vector<std::string_view> decodableClassNames();
  // The decoding of this class itself, which initWithCoder chooses for "QVRTallixUnitCategory".
  static std::unique_ptr<QVRTallixUnitCategory> initPlainCategoryWithCoder(
      QVRKeyedUnarchiver& coder);

 protected:
  // The name, the strings dictionary, the default unit names and the precision; the title and
  // the units come with loadUnits, once the object is complete.
  QVRTallixUnitCategory(const Dictionary& dictionary, std::optional<Dictionary> stringsDictionary);
  QVRTallixUnitCategory();

  // Makes a category of class T from a dictionary.
  template <class T>
  static std::unique_ptr<T> make(const Dictionary& dictionary,
                                 std::optional<Dictionary> stringsDictionary) {
    std::unique_ptr<T> category(new T(dictionary, std::move(stringsDictionary)));
    category->loadUnits(dictionary);
    return category;
  }
  // Reads the archive's keys into a category of class T.
  template <class T>
  static std::unique_ptr<T> decode(QVRKeyedUnarchiver& coder) {
    std::unique_ptr<T> category(new T());
    if (!category->decodeFields(coder)) return nullptr;
    return category;
  }
  // The catalogue, built (on first use) with `defaultClassName` for entries that name no class.
  static const std::vector<QVRTallixUnitCategory*>& catalogue(std::string_view defaultClassName);

 private:
  void loadUnits(const Dictionary& dictionary);
  bool decodeFields(QVRKeyedUnarchiver& coder);
  void adoptUnit(std::unique_ptr<QVRTallixUnit> unit);
  std::string defaultsKey(std::string_view suffix) const;
  QVRTallixUnit* chooseDefaultUnit(const std::string& key,
                                   const std::optional<std::string>& catalogueName,
                                   bool last) const;

  std::optional<std::string> _defaultFromUnitName;
  std::optional<std::string> _defaultToUnitName;
  QVRTallixUnit* _defaultFromUnit = nullptr;
  QVRTallixUnit* _defaultToUnit = nullptr;
  std::optional<Dictionary> _stringsDictionary;
  // The units in their order; all but a decoded unit that owns this category are owned here.
  std::vector<QVRTallixUnit*> _units;
  std::vector<std::unique_ptr<QVRTallixUnit>> _ownedUnits;
  mutable std::optional<std::vector<QVRTallixUnit*>> _visibleUnits;
  std::optional<std::string> _name;
  std::optional<std::string> _title;
  std::uint64_t _precision = 0;
};

// For readable test failures: the description.
void PrintTo(const QVRTallixUnitCategory& category, std::ostream* stream);
