#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/QVRArchiveError.h"
#include "common/QVRPropertyList.h"

// The objects of a binary property list ("bplist00") read in place, one at a time, from any
// bytes: nothing is copied until a caller asks for a value. Keyed archives of a hundred thousand
// calculations are read this way without building a tree of millions of values first.
//
// The header and trailer are checked when the view is made; every object's offset, size, count
// and reference when it is read. The first problem met is kept as error(), and every answer after
// it is none. The view follows no reference by itself, so an object that contains itself or a
// deep nesting costs its caller only what the caller walks; the bytes must outlive the view.
class QVRBinaryPropertyListView {
 public:
  using Reference = std::uint64_t;

  enum class Kind { boolean, integer, real, date, data, text, uid, array, dictionary };

  // One object's header: what it is and where its payload lies.
  struct Object {
    Kind kind = Kind::boolean;
    // The object's marker byte: its kind and, for scalars, its size or encoding.
    std::uint8_t marker = 0;
    // Where the payload begins: the value, the bytes, the UTF-16 units or the references.
    std::size_t start = 0;
    // Bytes, UTF-16 units, elements or entries.
    std::size_t count = 0;
  };

  static bool isBinaryPropertyList(std::span<const std::uint8_t> bytes);

  explicit QVRBinaryPropertyListView(std::span<const std::uint8_t> bytes);

  const std::optional<QVRArchiveError>& error() const { return _error; }
  std::uint64_t objectCount() const { return _objectCount; }
  Reference topObject() const { return _topObject; }
  std::span<const std::uint8_t> bytes() const { return _bytes; }

  // The header of the object `reference` stands for.
  std::optional<Object> object(Reference reference);
  // The reference at `position` of an array (its elements) or a dictionary (its keys, then its
  // values: position count + n is the value of key n).
  std::optional<Reference> referenceAt(const Object& container, std::size_t position);
  // The value of the last entry of `dictionary` under `key`; none without an error when there
  // is none. A key that is no text is an error.
  std::optional<Reference> valueForKey(const Object& dictionary, std::string_view key);
  // The header of the object under `key`, the same way.
  std::optional<Object> objectForKey(const Object& dictionary, std::string_view key);

  // Scalars; none (and an error) when the object is of another kind or its bytes are broken.
  std::optional<std::int64_t> integer(const Object& object);
  std::optional<double> real(const Object& object);  // also a date's seconds
  std::optional<std::uint64_t> uid(const Object& object);
  std::optional<std::string> text(const Object& object);
  // Whether a text object holds exactly `text`; false for any other object, without an error.
  bool textEquals(const Object& object, std::string_view text);
  // A scalar as a property-list value; none for arrays and dictionaries.
  std::optional<QVRPropertyList> scalar(const Object& object);

 private:
  bool fail(QVRArchiveError error);
  [[gnu::noinline]] std::nullopt_t outOfRange();
  std::nullopt_t failed(QVRArchiveError error) {
    fail(std::move(error));
    return std::nullopt;
  }
  // The big-endian unsigned integer of `size` bytes (1 to 8) at `offset`, which must lie in the
  // object area (before the offset table) unless `anywhere`.
  std::optional<std::uint64_t> unsignedAt(std::size_t offset, std::size_t size,
                                          bool anywhere = false);
  // An object's count (low nibble, or the integer after the marker) and where its payload starts,
  // checked to fit before the offset table with `unitSize` bytes per unit.
  bool countAt(std::size_t offset, unsigned low, std::size_t unitSize, Object& object);

  std::span<const std::uint8_t> _bytes;
  std::optional<QVRArchiveError> _error;
  std::size_t _offsetSize = 0;
  std::size_t _referenceSize = 0;
  std::uint64_t _objectCount = 0;
  Reference _topObject = 0;
  std::size_t _offsetTableStart = 0;
};
