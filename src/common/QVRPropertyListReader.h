#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "common/QVRPropertyList.h"
#include "common/QVRResult.h"

// Reads property lists from outside the process (archives, the user defaults file, the
// configuration, the rates cache, pasteboard data): binary ones with
// QVRBinaryPropertyListReader, XML ones with QVRXMLPropertyListReader; anything else is
// malformed. Never raises, never crashes; the answer is the value or why there is none.
class QVRPropertyListReader {
 public:
  QVRPropertyListReader() = delete;

  enum class Format { binary, xml, unknown };

  // "bplist00" is binary; "<" after an optional byte-order mark and blanks is XML.
  static Format formatOf(std::span<const std::uint8_t> bytes);

  static QVRResult<std::optional<QVRPropertyList>> propertyList(
      std::span<const std::uint8_t> bytes);
  static QVRResult<std::optional<QVRPropertyList>> propertyList(std::string_view bytes);
};
