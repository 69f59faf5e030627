#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/QVRPropertyList.h"
#include "common/QVRResult.h"

// Reads an XML property list from any bytes with libxml2, never raising and never crashing: no
// network, no external DTD, no entity declarations (a document that declares one is refused, so
// nothing can expand), libxml2's own limits on depth and size, and at most maximumDepth
// containers around a value. A dictionary {CF$UID: n} is a keyed archive's reference and reads
// as a UID.
class QVRXMLPropertyListReader {
 public:
  QVRXMLPropertyListReader() = delete;

  static constexpr std::size_t maximumDepth = 64;

  static QVRResult<std::optional<QVRPropertyList>> propertyList(
      std::span<const std::uint8_t> bytes);

  // "2001-01-01T00:00:00Z" (with optional fractional seconds) as seconds since that moment;
  // none for any other text.
  static std::optional<double> secondsSinceReferenceDate(std::string_view iso8601);
  // The bytes of base64 text, blanks anywhere ignored, padding optional; none for other text.
  static std::optional<QVRPropertyList::Data> base64Decoded(std::string_view text);
};
