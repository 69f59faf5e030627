#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "common/QVRPropertyList.h"

// The pieces of a binary property list ("bplist00"), appended to one buffer in the order the
// caller writes its objects: each object's bytes, the references inside arrays and dictionaries,
// and at the end the offset table and the trailer. Integers take the fewest bytes that hold them
// (negative ones eight, as signed), reals and dates eight, texts are ASCII or UTF-16 big-endian.
class QVRBinaryPropertyListEncoder {
 public:
  using Data = QVRPropertyList::Data;

  // Starts the buffer with the header.
  QVRBinaryPropertyListEncoder();

  // The bytes that hold every value below `count` (1, 2, 4 or 8).
  static std::uint8_t bytesFor(std::uint64_t count);

  std::size_t size() const { return _bytes.size(); }
  const Data& bytes() const { return _bytes; }

  void appendBoolean(bool value);
  void appendInteger(std::int64_t value);
  void appendReal(double value);
  void appendDate(double secondsSinceReferenceDate);
  void appendData(std::span<const std::uint8_t> data);
  // UTF-8 text, written as ASCII when it is, else as UTF-16.
  void appendText(std::string_view text);
  void appendUID(std::uint64_t value);
  // The marker of an array of `count` elements or a dictionary of `count` entries; the caller
  // appends the references (a dictionary's keys, then its values).
  void appendArrayMarker(std::uint64_t count) { appendMarker(0xA0, count); }
  void appendDictionaryMarker(std::uint64_t count) { appendMarker(0xD0, count); }
  void appendReference(std::uint64_t reference, std::uint8_t referenceSize) {
    room(referenceSize);
    appendBigEndian(reference, referenceSize);
  }
  // Raw bytes, for a caller that copies objects it has encoded before.
  void appendBytes(std::span<const std::uint8_t> bytes) {
    room(bytes.size());
    _bytes.insert(_bytes.end(), bytes.begin(), bytes.end());
  }
  // Room for `size` bytes in all; a large buffer is laid on large pages where the kernel has them.
  void reserve(std::size_t size);

  // Appends the offset table (object n begins at offsets[n]) and the trailer and hands the
  // finished bytes over.
  template <class Offset>
  Data finish(std::span<const Offset> offsets, std::uint8_t referenceSize,
              std::uint64_t topObject) && {
    const std::uint64_t tableOffset = _bytes.size();
    const std::uint8_t offsetSize = bytesFor(tableOffset + 1);
    std::size_t at = _bytes.size();
    room(offsets.size() * offsetSize + 32);
    _bytes.resize(at + offsets.size() * offsetSize);
    for (const Offset offset : offsets) {
      for (int shift = 8 * (offsetSize - 1); shift >= 0; shift -= 8) {
        _bytes[at++] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(offset) >> shift);
      }
    }
    appendTrailer(offsetSize, referenceSize, offsets.size(), topObject, tableOffset);
    return std::move(_bytes);
  }

 private:
  void appendBigEndian(std::uint64_t value, std::uint8_t size) {
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) {
      _bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  }
  // Makes room for `count` more bytes, growing the buffer by doubling as a vector would.
  void room(std::size_t count) {
    if (_bytes.capacity() - _bytes.size() < count) grow(count);
  }
  void grow(std::size_t count);
  void appendMarker(std::uint8_t kind, std::uint64_t count);
  void appendTrailer(std::uint8_t offsetSize, std::uint8_t referenceSize, std::uint64_t count,
                     std::uint64_t topObject, std::uint64_t tableOffset);

  Data _bytes;
};
