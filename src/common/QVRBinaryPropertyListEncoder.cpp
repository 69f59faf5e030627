#include "common/QVRBinaryPropertyListEncoder.h"

#include <algorithm>
#include <bit>

#include "common/QVRMemory.h"
#include "common/QVRTextEncoding.h"

QVRBinaryPropertyListEncoder::QVRBinaryPropertyListEncoder()
    : _bytes{'b', 'p', 'l', 'i', 's', 't', '0', '0'} {}

std::uint8_t QVRBinaryPropertyListEncoder::bytesFor(std::uint64_t count) {
  if (count <= 0x100) return 1;
  if (count <= 0x10000) return 2;
  if (count <= 0x100000000) return 4;
  return 8;
}

void QVRBinaryPropertyListEncoder::appendBoolean(bool value) {
  room(1);
  _bytes.push_back(value ? 0x09 : 0x08);
}

void QVRBinaryPropertyListEncoder::appendInteger(std::int64_t value) {
  room(9);
  const auto bits = static_cast<std::uint64_t>(value);
  const std::uint8_t size = value < 0 ? 8 : bytesFor(bits + 1);
  _bytes.push_back(static_cast<std::uint8_t>(0x10 | std::countr_zero(unsigned(size))));
  appendBigEndian(bits, size);
}

void QVRBinaryPropertyListEncoder::appendReal(double value) {
  room(9);
  _bytes.push_back(0x23);
  appendBigEndian(std::bit_cast<std::uint64_t>(value), 8);
}

void QVRBinaryPropertyListEncoder::appendDate(double secondsSinceReferenceDate) {
  room(9);
  _bytes.push_back(0x33);
  appendBigEndian(std::bit_cast<std::uint64_t>(secondsSinceReferenceDate), 8);
}

void QVRBinaryPropertyListEncoder::appendData(std::span<const std::uint8_t> data) {
  appendMarker(0x40, data.size());
  appendBytes(data);
}

void QVRBinaryPropertyListEncoder::appendText(std::string_view text) {
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) {
    appendMarker(0x50, text.size());
    room(text.size());
    _bytes.insert(_bytes.end(), text.begin(), text.end());
    return;
  }
  std::vector<std::uint16_t> units;
  units.reserve(text.size());
  for (std::size_t position = 0; position < text.size();) {
    // A byte that starts no well-formed character stands for U+FFFD on its own.
    const auto next = QVRTextEncoding::nextCodePoint(text, position);
    if (!next) ++position;
    const char32_t character = next.value_or(0xFFFD);
    if (character >= 0x10000) {
      units.push_back(static_cast<std::uint16_t>(0xD800 + ((character - 0x10000) >> 10)));
      units.push_back(static_cast<std::uint16_t>(0xDC00 + ((character - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<std::uint16_t>(character));
    }
  }
  appendMarker(0x60, units.size());
  room(2 * units.size());
  for (const std::uint16_t unit : units) appendBigEndian(unit, 2);
}

void QVRBinaryPropertyListEncoder::appendUID(std::uint64_t value) {
  room(9);
  const std::uint8_t size = bytesFor(value + 1);
  _bytes.push_back(static_cast<std::uint8_t>(0x80 | (size - 1)));
  appendBigEndian(value, size);
}

void QVRBinaryPropertyListEncoder::appendMarker(std::uint8_t kind, std::uint64_t count) {
  room(10);
  if (count < 15) {
    _bytes.push_back(static_cast<std::uint8_t>(kind | count));
    return;
  }
  _bytes.push_back(static_cast<std::uint8_t>(kind | 0x0F));
  appendInteger(static_cast<std::int64_t>(count));
}

void QVRBinaryPropertyListEncoder::appendTrailer(std::uint8_t offsetSize,
                                                 std::uint8_t referenceSize, std::uint64_t count,
                                                 std::uint64_t topObject,
                                                 std::uint64_t tableOffset) {
  room(32);
  _bytes.insert(_bytes.end(), 6, 0);
  _bytes.push_back(offsetSize);
  _bytes.push_back(referenceSize);
  appendBigEndian(count, 8);
  appendBigEndian(topObject, 8);
  appendBigEndian(tableOffset, 8);
}

void QVRBinaryPropertyListEncoder::reserve(std::size_t size) {
  if (size <= _bytes.capacity()) return;
  // The advice comes before the bytes so far are copied over, which would touch half the pages.
  Data larger;
  larger.reserve(size);
  QVRMemory::adviseLargePages(larger.data(), larger.capacity());
  larger.insert(larger.end(), _bytes.begin(), _bytes.end());
  _bytes = std::move(larger);
}

void QVRBinaryPropertyListEncoder::grow(std::size_t count) {
  reserve(std::max({2 * _bytes.capacity(), _bytes.size() + count, std::size_t{4096}}));
}
