#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/QVRPropertyList.h"

// Reads the values of the unit catalogue's dictionaries the way the platform reads a property
// list object, never failing on a value of the wrong kind: such a value reads as the fallback of
// its key (absent text, false, 0).
class QVRTallixCatalogueValue {
 public:
  QVRTallixCatalogueValue() = delete;

  // The text under `key`; none when it is absent or no text.
  static std::optional<std::string> string(const QVRPropertyList::Dictionary& dictionary,
                                           std::string_view key);
  // A boolean as it is, a number that is not zero, or the texts "YES", "true" and "1"; anything
  // else (absent included) is false.
  static bool boolean(const QVRPropertyList::Dictionary& dictionary, std::string_view key);
  // A whole number that is not negative, a boolean as 1 or 0, a finite real that is not negative
  // and below 2^64 without its fraction; anything else is 0.
  static std::uint64_t unsignedInteger(const QVRPropertyList::Dictionary& dictionary,
                                       std::string_view key);
};
