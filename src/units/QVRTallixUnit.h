#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRImageName.h"
#include "common/QVRPropertyList.h"
#include "numbers/QVRComparisonResult.h"
#include "numbers/QVRTallixNumber.h"

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;
class QVRTallixUnitCategory;

// One unit of measure inside a unit category. Every conversion passes through the category's base
// unit: a number in unit A is converted to the base unit by A, then from the base unit to B by B.
// The plain unit converts by identity, so a plain unit is the base unit of its category; the other
// units of a category are formula units (QVRTallixFormulaUnit) or currencies.
//
// Besides converting, a unit carries what the interface shows (a localised title, symbol and
// modifier, an image name) and a per-user visibility kept in the user defaults under
// "unit.<category name>.<unit name>.hidden".
//
// A category owns its units and a unit refers to its category without owning it; only a unit
// decoded on its own (the root of an archive) owns the category decoded with it, since nothing
// else does.
class QVRTallixUnit {
 public:
  using Dictionary = QVRPropertyList::Dictionary;

  // A unit from one entry of a category's "units" array: the name, the title (the localised
  // "title", or the localised name), the symbol (the localised "symbol", or the empty string),
  // the modifier as written with its localised title, and "hidden"; then the visibility is read
  // from the user defaults. A value of the wrong kind counts as absent. The category's name must
  // be set already: it names the strings table.
  static std::unique_ptr<QVRTallixUnit> initWithDictionary(const Dictionary& dictionary,
                                                           QVRTallixUnitCategory& category);
  virtual ~QVRTallixUnit();
  // Identity object: its category lists it, and the interface keeps it as the chosen unit.
  QVRTallixUnit(const QVRTallixUnit&) = delete;
  QVRTallixUnit& operator=(const QVRTallixUnit&) = delete;

  // The number in `fromUnit` converted to `toUnit` through the base unit; none when an argument
  // is none. A failure of either step (a decimal overflow or underflow, a malformed formula) is
  // logged with "converting %@(%@) to %@" (source unit, number, target unit, each by its
  // description) and gives zero. Units of different categories are not refused.
  static std::optional<QVRTallixNumber> convertNumber(const QVRTallixNumber* number,
                                                      const QVRTallixUnit* fromUnit,
                                                      const QVRTallixUnit* toUnit);

  // The number in the base unit, resp. given in the base unit in this unit; may raise
  // QVRException. The plain unit answers its argument.
  virtual QVRTallixNumber convertToBaseUnit(const QVRTallixNumber& number) const;
  virtual QVRTallixNumber convertFromBaseUnit(const QVRTallixNumber& number) const;

  // Reads the visibility: the user's stored choice when the user defaults hold one, else
  // defaultHidden(). Nothing is stored and nobody is told.
  virtual void _updateHidden();
  // Nothing happens when `hidden` is the current value; otherwise the value changes, the category
  // resets its visible units, and the choice is stored (from then on it overrides the catalogue,
  // also when it equals defaultHidden()).
  virtual void setHidden(bool hidden);
  bool isHidden() const { return _hidden; }
  // The catalogue's "hidden" (or the archive's "defaultHidden").
  bool defaultHidden() const { return _defaultHidden; }
  // "unit.%@.%@.hidden" filled with the category's name and the unit's name.
  std::string hiddenDefaultsKey() const;

  // The identifier inside the category, as in the catalogue; never localised.
  const std::optional<std::string>& name() const { return _name; }
  // The localised title, or the name when no title is set.
  virtual std::optional<std::string> title() const;
  void setTitle(std::optional<std::string> title) { _title = std::move(title); }
  // The localised symbol; empty when the catalogue gives none.
  const std::string& symbol() const { return _symbol; }
  void setSymbol(std::string symbol) { _symbol = std::move(symbol); }
  // The catalogue's "modifier" as written; setting it localises the modifier title again.
  const std::optional<std::string>& modifier() const { return _modifier; }
  void setModifier(std::optional<std::string> modifier);
  const std::optional<std::string>& modifierTitle() const { return _modifierTitle; }
  QVRTallixUnitCategory* category() const { return _category; }

  // "Unit:Modifier:" followed by the modifier as written; none without a modifier.
  virtual std::optional<QVRImageName> modifierImage() const;
  // "%@ (%@)" filled with the title field and the modifier title when there is a modifier title;
  // otherwise the title field.
  virtual std::optional<std::string> titleWithModifier() const;
  virtual bool hasSubUnit() const { return false; }
  // True; a currency answers whether it has a rate.
  virtual bool isValid() const { return true; }

  // "%@ %@": the number formatted in the standard style with at most `maximumSignificantDigits`
  // significant digits, then the symbol (a unit without symbol gives the number and one space).
  virtual std::string formatedStringForNumber(const QVRTallixNumber& number,
                                              std::uint64_t maximumSignificantDigits) const;
  // The same with QVRTallixNumberMaximumSignificantDigits.
  virtual std::string formatedStringForNumber(const QVRTallixNumber& number) const;

  // The name ("(null)" without one).
  virtual std::string description() const;
  // The smaller unit first: one of each in the base unit, compared as numbers (a unit whose
  // conversion fails counts as not-a-number, which comes first); equal sizes are ordered by
  // titleWithModifier, by plain string comparison. Units ordered by title (currencies) come
  // after all others, so a category that holds both kinds still sorts in one order.
  virtual QVRComparisonResult compare(const QVRTallixUnit& other) const;

  // Keyed archive: "category" (the category object), "name", "title", "symbol",
  // "defaultHidden"; the modifier is not archived.
  virtual std::string_view archiveClassName() const { return "QVRTallixUnit"; }
  virtual std::vector<std::string_view> archiveSuperclassNames() const { return {}; }
  virtual void encodeWithCoder(QVRKeyedArchiver& coder) const;
  // A unit of the class the record names (every unit class the registry knows); none when a
  // key holds a value of another kind or the category is missing. The visibility is read again.
  static std::unique_ptr<QVRTallixUnit> initWithCoder(QVRKeyedUnarchiver& coder);
  static std::vector<std::string_view> decodableClassNames();
  // The decoding of this class itself, which initWithCoder chooses for "QVRTallixUnit".
  static std::unique_ptr<QVRTallixUnit> initPlainUnitWithCoder(QVRKeyedUnarchiver& coder);

 protected:
  // What the base class holds besides its category and visibility.
  struct Fields {
    std::optional<std::string> name;
    std::optional<std::string> title;
    std::string symbol;
    std::optional<std::string> modifier;
    std::optional<std::string> modifierTitle;
    bool defaultHidden = false;
  };
  QVRTallixUnit(Fields fields, QVRTallixUnitCategory* category);

  static Fields fieldsFromDictionary(const Dictionary& dictionary, QVRTallixUnitCategory& category);
  // None when a key holds a value of another kind.
  static std::optional<Fields> fieldsFromCoder(QVRKeyedUnarchiver& coder);
  // The last steps of every unit class's decoding: finds or decodes the category and reads the
  // visibility. False when there is no category.
  static bool finishDecoding(QVRTallixUnit& unit, QVRKeyedUnarchiver& coder);

  // Whether the class orders its units by title rather than by size.
  virtual bool isOrderedByTitle() const { return false; }
  // The order of two units of which one is ordered by title and the other by size (the one by
  // size first); none when both are ordered the same way.
  static std::optional<QVRComparisonResult> compareOrderingKinds(const QVRTallixUnit& left,
                                                                 const QVRTallixUnit& right);

 private:
  // One unit in the base unit, computed once for the ordering (a unit's conversion does not
  // change; a class whose conversion changes orders its units otherwise).
  const QVRTallixNumber& sizeInBaseUnit() const;

  bool _defaultHidden;
  bool _hidden;
  std::optional<std::string> _name;
  std::optional<std::string> _title;
  std::string _symbol;
  std::optional<std::string> _modifier;
  std::optional<std::string> _modifierTitle;
  QVRTallixUnitCategory* _category;
  std::unique_ptr<QVRTallixUnitCategory> _decodedCategory;
  mutable std::optional<QVRTallixNumber> _sizeInBaseUnit;
};

// For readable test failures: the description.
void PrintTo(const QVRTallixUnit& unit, std::ostream* stream);
