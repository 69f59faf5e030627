#pragma once

#include <string>
#include <string_view>
#include <vector>

class QVRTallixUnit;
class QVRTallixUnitCategory;

namespace tallix {

// How `tallix convert` and `tallix units` find categories and units from what the user typed.
//
// A unit is named, in this order of preference within its category:
// 1. by its name exactly ("meter", "gallon-us": the catalogue's identifiers);
// 2. by its symbol exactly, case included ("Mbit" is the megabit, "MB" the megabyte);
// 3. by its name, symbol, title or title with modifier, ignoring case ("Meter", "gallon (us)").
// The first of these steps that finds anything decides; when it finds more than one unit of the
// category ("gallon" is the US and the imperial gallon), the text is ambiguous there.
//
// A category is named by its name exactly, or by its name or title ignoring case.
class TallixUnitLookup {
 public:
  TallixUnitLookup() = delete;

  // What a text names inside one category: nothing, one unit, or several (ambiguous).
  struct Match {
    std::vector<QVRTallixUnit*> units;

    bool isNone() const { return units.empty(); }
    bool isUnit() const { return units.size() == 1; }
    bool isAmbiguous() const { return units.size() > 1; }
  };

  static Match match(std::string_view text, const QVRTallixUnitCategory& category);
  // The category of the catalogue named `text`, or none.
  static QVRTallixUnitCategory* category(std::string_view text);
  // "Acceleration, Angle, …": the names of the catalogue's categories, in its order.
  static std::string categoryNames();
  // "gallon-us (US gal)": a unit's name and symbol, for messages.
  static std::string label(const QVRTallixUnit& unit);
  // The rows padded to the widest cell of each column (counted in characters as the user sees
  // them), two spaces apart; the last cell of a row is not padded, and no line ends in blanks.
  static std::string table(const std::vector<std::vector<std::string>>& rows);
};

}  // namespace tallix
