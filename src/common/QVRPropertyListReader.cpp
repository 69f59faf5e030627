#include "common/QVRPropertyListReader.h"

#include <algorithm>
#include <initializer_list>

#include "common/QVRBinaryPropertyListReader.h"
#include "common/QVRXMLPropertyListReader.h"

namespace {

bool isBlank(std::uint32_t character) {
  return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

// Whether the first character that is not blank is "<", reading units of `width` bytes
// (1 for UTF-8, 2 for UTF-16 in either order) from `start`.
bool startsWithMarkup(std::span<const std::uint8_t> bytes, std::size_t start, std::size_t width,
                      bool bigEndian) {
  for (std::size_t offset = start; offset + width <= bytes.size(); offset += width) {
    std::uint32_t unit = bytes[offset];
    if (width == 2) {
      unit = bigEndian ? (unit << 8 | bytes[offset + 1])
                       : (std::uint32_t{bytes[offset + 1]} << 8 | unit);
    }
    if (!isBlank(unit)) return unit == '<';
  }
  return false;
}

}  // namespace

QVRPropertyListReader::Format QVRPropertyListReader::formatOf(std::span<const std::uint8_t> bytes) {
  if (QVRBinaryPropertyListReader::isBinaryPropertyList(bytes)) return Format::binary;
  const auto startsWith = [&](std::initializer_list<std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
  };
  bool xml = false;
  if (startsWith({0xEF, 0xBB, 0xBF})) {
    xml = startsWithMarkup(bytes, 3, 1, false);
  } else if (startsWith({0xFE, 0xFF})) {
    xml = startsWithMarkup(bytes, 2, 2, true);
  } else if (startsWith({0xFF, 0xFE})) {
    xml = startsWithMarkup(bytes, 2, 2, false);
  } else {
    xml = startsWithMarkup(bytes, 0, 1, false);
  }
  return xml ? Format::xml : Format::unknown;
}

QVRResult<std::optional<QVRPropertyList>> QVRPropertyListReader::propertyList(
    std::span<const std::uint8_t> bytes) {
  switch (formatOf(bytes)) {
    case Format::binary:
      return QVRBinaryPropertyListReader::propertyList(bytes);
    case Format::xml:
      return QVRXMLPropertyListReader::propertyList(bytes);
    case Format::unknown:
      break;
  }
  return {std::nullopt, QVRArchiveError::malformed("not a property list")};
}

QVRResult<std::optional<QVRPropertyList>> QVRPropertyListReader::propertyList(
    std::string_view bytes) {
  return propertyList(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}
