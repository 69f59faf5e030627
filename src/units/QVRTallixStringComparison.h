#pragma once

#include <string_view>

#include "numbers/QVRComparisonResult.h"

// The platform's plain comparison of texts, by which categories and units are ordered: not
// localised and case-sensitive, but a character and its decomposed form are the same ("ä" and
// "a" followed by the combining diaeresis), and decomposed forms are compared unit by unit in
// UTF-16. So "Länge" comes before "Leistung", as the letter a before e.
class QVRTallixStringComparison {
 public:
  QVRTallixStringComparison() = delete;

  // Invalid UTF-8 counts as the replacement character in its place.
  static QVRComparisonResult compare(std::string_view left, std::string_view right);
  // Whether the two texts are the same when case is ignored (full case folding after
  // decomposition: "STRASSE" and "Straße" are the same).
  static bool isEqualIgnoringCase(std::string_view left, std::string_view right);
};
