#include "tallix/TallixUnitLookup.h"

#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "units/QVRTallixStringComparison.h"
#include "units/QVRTallixUnit.h"
#include "units/QVRTallixUnitCategory.h"

namespace tallix {

namespace {

bool sameIgnoringCase(const std::optional<std::string>& candidate, std::string_view text) {
  return candidate && QVRTallixStringComparison::isEqualIgnoringCase(*candidate, text);
}

// The characters of `text` as the user sees them (grapheme clusters): "°C" is two, "ñ" written
// with a combining tilde one.
std::size_t characterCount(std::string_view text) {
  if (std::all_of(text.begin(), text.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return text.size();
  }
  const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> characters(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status) || !characters) {
    return static_cast<std::size_t>(unicode.countChar32());
  }
  characters->setText(unicode);
  std::size_t count = 0;
  for (std::int32_t at = characters->next(); at != icu::BreakIterator::DONE;
       at = characters->next()) {
    ++count;
  }
  return count;
}

}  // namespace

TallixUnitLookup::Match TallixUnitLookup::match(std::string_view text,
                                                const QVRTallixUnitCategory& category) {
  const std::function<bool(const QVRTallixUnit&)> tiers[] = {
      [&](const QVRTallixUnit& unit) { return unit.name() && *unit.name() == text; },
      [&](const QVRTallixUnit& unit) { return unit.symbol() == text; },
      [&](const QVRTallixUnit& unit) {
        return sameIgnoringCase(unit.name(), text) || sameIgnoringCase(unit.symbol(), text) ||
               sameIgnoringCase(unit.title(), text) ||
               sameIgnoringCase(unit.titleWithModifier(), text);
      },
  };
  for (const auto& tier : tiers) {
    Match found;
    for (QVRTallixUnit* unit : category.units()) {
      if (tier(*unit)) found.units.push_back(unit);
    }
    if (!found.isNone()) return found;
  }
  return {};
}

QVRTallixUnitCategory* TallixUnitLookup::category(std::string_view text) {
  const auto& categories = QVRTallixUnitCategory::allCategories();
  for (QVRTallixUnitCategory* category : categories) {
    if (category->name() && *category->name() == text) return category;
  }
  for (QVRTallixUnitCategory* category : categories) {
    if (sameIgnoringCase(category->name(), text) || sameIgnoringCase(category->title(), text)) {
      return category;
    }
  }
  return nullptr;
}

std::string TallixUnitLookup::categoryNames() {
  std::string names;
  for (const QVRTallixUnitCategory* category : QVRTallixUnitCategory::allCategories()) {
    if (!category->name()) continue;
    if (!names.empty()) names += ", ";
    names += *category->name();
  }
  return names;
}

std::string TallixUnitLookup::label(const QVRTallixUnit& unit) {
  const std::string name = unit.name().value_or("?");
  return unit.symbol().empty() ? name : name + " (" + unit.symbol() + ")";
}

std::string TallixUnitLookup::table(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (std::size_t column = 0; column < row.size(); ++column) {
      widths[column] = std::max(widths[column], characterCount(row[column]));
    }
  }
  std::string text;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t column = 0; column < row.size(); ++column) {
      line += row[column];
      if (column + 1 < row.size()) {
        line.append(widths[column] - characterCount(row[column]) + 2, ' ');
      }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + "\n";
  }
  return text;
}

}  // namespace tallix
