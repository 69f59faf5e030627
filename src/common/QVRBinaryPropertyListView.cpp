#include "common/QVRBinaryPropertyListView.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/QVRTextEncoding.h"

namespace {

constexpr std::string_view kMagic = "bplist00";
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;

constexpr std::uint8_t kASCIIText = 0x5;
constexpr std::uint8_t kUTF16Text = 0x6;
constexpr std::uint8_t kUTF8Text = 0x7;

}  // namespace

bool QVRBinaryPropertyListView::isBinaryPropertyList(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= kMagic.size() &&
         std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) == 0;
}

QVRBinaryPropertyListView::QVRBinaryPropertyListView(std::span<const std::uint8_t> bytes)
    : _bytes(bytes) {
  if (bytes.size() < kHeaderSize + kTrailerSize || !isBinaryPropertyList(bytes)) {
    fail(QVRArchiveError::malformed("not a binary property list"));
    return;
  }
  const std::size_t trailer = bytes.size() - kTrailerSize;
  _offsetSize = bytes[trailer + 6];
  _referenceSize = bytes[trailer + 7];
  if (_offsetSize < 1 || _offsetSize > 8 || _referenceSize < 1 || _referenceSize > 8) {
    fail(QVRArchiveError::malformed("binary property list with bad integer sizes"));
    return;
  }
  const auto objectCount = unsignedAt(trailer + 8, 8, true);
  const auto topObject = unsignedAt(trailer + 16, 8, true);
  const auto tableStart = unsignedAt(trailer + 24, 8, true);
  if (!objectCount || !topObject || !tableStart) return;
  if (*tableStart < kHeaderSize || *tableStart > trailer || *objectCount == 0 ||
      *objectCount > (trailer - *tableStart) / _offsetSize || *topObject >= *objectCount) {
    fail(QVRArchiveError::malformed("binary property list with a bad trailer"));
    return;
  }
  _objectCount = *objectCount;
  _topObject = *topObject;
  _offsetTableStart = static_cast<std::size_t>(*tableStart);
}

std::nullopt_t QVRBinaryPropertyListView::outOfRange() {
  return failed(QVRArchiveError::malformed("integer out of range"));
}

bool QVRBinaryPropertyListView::fail(QVRArchiveError error) {
  if (!_error) _error = std::move(error);
  return false;
}

std::optional<std::uint64_t> QVRBinaryPropertyListView::unsignedAt(std::size_t offset,
                                                                   std::size_t size,
                                                                   bool anywhere) {
  const std::size_t limit = anywhere ? _bytes.size() : _offsetTableStart;
  if (size < 1 || size > 8 || offset > limit || limit - offset < size) [[unlikely]] {
    return outOfRange();
  }
  const std::uint8_t* bytes = _bytes.data() + offset;
  std::uint64_t value = 0;
  for (std::size_t index = 0; index < size; ++index) value = (value << 8) | bytes[index];
  return value;
}

bool QVRBinaryPropertyListView::countAt(std::size_t offset, unsigned low, std::size_t unitSize,
                                        Object& object) {
  object.count = low;
  object.start = offset + 1;
  if (low == 0xF) {
    if (object.start >= _offsetTableStart) {
      return fail(QVRArchiveError::malformed("count out of range"));
    }
    const std::uint8_t marker = _bytes[object.start];
    if (marker >> 4 != 0x1 || (marker & 0x0F) > 3) {
      return fail(QVRArchiveError::malformed("bad count"));
    }
    const std::size_t size = std::size_t{1} << (marker & 0x0F);
    const auto value = unsignedAt(object.start + 1, size);
    if (!value) return false;
    if (*value > _bytes.size()) {
      return fail(QVRArchiveError::malformed("object runs past its bytes"));
    }
    object.count = static_cast<std::size_t>(*value);
    object.start += 1 + size;
  }
  if (object.start > _offsetTableStart ||
      object.count > (_offsetTableStart - object.start) / unitSize) {
    return fail(QVRArchiveError::malformed("object runs past its bytes"));
  }
  return true;
}

std::optional<QVRBinaryPropertyListView::Object> QVRBinaryPropertyListView::object(
    Reference reference) {
  if (_error) return std::nullopt;
  if (reference >= _objectCount) {
    return failed(
        QVRArchiveError::malformed("reference " + std::to_string(reference) + " out of range"));
  }
  // The offset table lies between the objects and the trailer, which the constructor checked.
  const auto offset = unsignedAt(
      _offsetTableStart + static_cast<std::size_t>(reference) * _offsetSize, _offsetSize, true);
  if (!offset) return std::nullopt;
  if (*offset < kHeaderSize || *offset >= _offsetTableStart) {
    return failed(QVRArchiveError::malformed("object offset out of range"));
  }
  const auto at = static_cast<std::size_t>(*offset);
  Object object;
  object.marker = _bytes[at];
  object.start = at + 1;
  const unsigned low = object.marker & 0x0F;
  bool fits = true;
  switch (object.marker >> 4) {
    case 0x0:
      if (low != 0x8 && low != 0x9) {
        return failed(QVRArchiveError::malformed("null or fill object"));
      }
      object.kind = Kind::boolean;
      break;
    case 0x1:
      if (low > 4) return failed(QVRArchiveError::malformed("integer of bad size"));
      object.kind = Kind::integer;
      object.count = std::size_t{1} << low;
      break;
    case 0x2:
      if (low != 2 && low != 3) return failed(QVRArchiveError::malformed("real of bad size"));
      object.kind = Kind::real;
      object.count = std::size_t{1} << low;
      break;
    case 0x3:
      if (low != 3) return failed(QVRArchiveError::malformed("date of bad size"));
      object.kind = Kind::date;
      object.count = 8;
      break;
    case 0x4:
      object.kind = Kind::data;
      fits = countAt(at, low, 1, object);
      break;
    case kASCIIText:
    case kUTF8Text:
      object.kind = Kind::text;
      fits = countAt(at, low, 1, object);
      break;
    case kUTF16Text:
      object.kind = Kind::text;
      fits = countAt(at, low, 2, object);
      break;
    case 0x8:
      if (low > 7) return failed(QVRArchiveError::malformed("UID beyond 64 bits"));
      object.kind = Kind::uid;
      object.count = low + 1;
      break;
    case 0xA:
      object.kind = Kind::array;
      fits = countAt(at, low, _referenceSize, object);
      break;
    case 0xD:
      object.kind = Kind::dictionary;
      fits = countAt(at, low, 2 * _referenceSize, object);
      break;
    default:
      return failed(QVRArchiveError::malformed("object of kind " +
                                               std::to_string(object.marker >> 4) +
                                               ", which property lists of the model never hold"));
  }
  if (!fits) return std::nullopt;
  return object;
}

std::optional<QVRBinaryPropertyListView::Reference> QVRBinaryPropertyListView::referenceAt(
    const Object& container, std::size_t position) {
  const std::size_t limit = container.kind == Kind::dictionary ? 2 * container.count
                            : container.kind == Kind::array    ? container.count
                                                               : 0;
  if (_error) return std::nullopt;
  if (position >= limit) return failed(QVRArchiveError::malformed("element out of range"));
  return unsignedAt(container.start + position * _referenceSize, _referenceSize);
}

std::optional<QVRBinaryPropertyListView::Reference> QVRBinaryPropertyListView::valueForKey(
    const Object& dictionary, std::string_view key) {
  if (_error || dictionary.kind != Kind::dictionary) return std::nullopt;
  std::optional<std::size_t> found;
  for (std::size_t index = 0; index < dictionary.count; ++index) {
    const auto keyReference = unsignedAt(dictionary.start + index * _referenceSize, _referenceSize);
    const auto keyObject = keyReference ? object(*keyReference) : std::nullopt;
    if (!keyObject) return std::nullopt;
    if (keyObject->kind != Kind::text) {
      return failed(QVRArchiveError::malformed("dictionary key that is no text"));
    }
    if (textEquals(*keyObject, key)) found = index;
  }
  if (!found) return std::nullopt;
  return referenceAt(dictionary, dictionary.count + *found);
}

std::optional<QVRBinaryPropertyListView::Object> QVRBinaryPropertyListView::objectForKey(
    const Object& dictionary, std::string_view key) {
  const auto reference = valueForKey(dictionary, key);
  if (!reference) return std::nullopt;
  return object(*reference);
}

std::optional<std::int64_t> QVRBinaryPropertyListView::integer(const Object& object) {
  if (_error) return std::nullopt;
  if (object.kind != Kind::integer) return failed(QVRArchiveError::malformed("no integer"));
  if (object.count <= 8) {
    const auto value = unsignedAt(object.start, object.count);
    if (!value) return std::nullopt;
    // Eight bytes are signed; fewer are not.
    return std::bit_cast<std::int64_t>(*value);
  }
  // Sixteen bytes, read only when the value fits in 64 signed bits.
  const auto high = unsignedAt(object.start, 8);
  const auto low = unsignedAt(object.start + 8, 8);
  if (!high || !low) return std::nullopt;
  const bool positive = *high == 0 && *low <= std::uint64_t{INT64_MAX};
  const bool negative = *high == UINT64_MAX && *low > std::uint64_t{INT64_MAX};
  if (!positive && !negative) return failed(QVRArchiveError::malformed("integer beyond 64 bits"));
  return std::bit_cast<std::int64_t>(*low);
}

std::optional<double> QVRBinaryPropertyListView::real(const Object& object) {
  if (_error) return std::nullopt;
  if (object.kind != Kind::real && object.kind != Kind::date) {
    return failed(QVRArchiveError::malformed("no real"));
  }
  const auto bits = unsignedAt(object.start, object.count);
  if (!bits) return std::nullopt;
  if (object.count == 4) {
    return static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(*bits)));
  }
  return std::bit_cast<double>(*bits);
}

std::optional<std::uint64_t> QVRBinaryPropertyListView::uid(const Object& object) {
  if (_error) return std::nullopt;
  if (object.kind != Kind::uid) return failed(QVRArchiveError::malformed("no UID"));
  return unsignedAt(object.start, object.count);
}

std::optional<std::string> QVRBinaryPropertyListView::text(const Object& object) {
  if (_error) return std::nullopt;
  if (object.kind != Kind::text) return failed(QVRArchiveError::malformed("no text"));
  switch (object.marker >> 4) {
    case kASCIIText: {
      const auto bytes = _bytes.subspan(object.start, object.count);
      if (std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte >= 0x80; })) {
        return failed(QVRArchiveError::malformed("ASCII text that is not ASCII"));
      }
      return std::string(bytes.begin(), bytes.end());
    }
    case kUTF16Text: {
      auto text =
          QVRTextEncoding::utf8FromUTF16(_bytes.subspan(object.start, 2 * object.count), true);
      if (!text) return failed(QVRArchiveError::malformed("bad UTF-16 text"));
      return text;
    }
    default: {
      const auto bytes = _bytes.subspan(object.start, object.count);
      std::string text(bytes.begin(), bytes.end());
      if (!QVRTextEncoding::isValidUTF8(text)) {
        return failed(QVRArchiveError::malformed("bad UTF-8 text"));
      }
      return text;
    }
  }
}

bool QVRBinaryPropertyListView::textEquals(const Object& object, std::string_view text) {
  if (_error || object.kind != Kind::text) return false;
  if (object.marker >> 4 == kUTF16Text) {
    // Rare in practice: our writer and the platform's write ASCII wherever they can.
    const auto converted =
        QVRTextEncoding::utf8FromUTF16(_bytes.subspan(object.start, 2 * object.count), true);
    return converted && *converted == text;
  }
  // ASCII and UTF-8 texts compare byte for byte; a text that is not well-formed never equals the
  // well-formed one asked for.
  return object.count == text.size() &&
         std::memcmp(_bytes.data() + object.start, text.data(), text.size()) == 0;
}

std::optional<QVRPropertyList> QVRBinaryPropertyListView::scalar(const Object& object) {
  switch (object.kind) {
    case Kind::boolean:
      if (_error) return std::nullopt;
      return QVRPropertyList((object.marker & 0x0F) == 0x9);
    case Kind::integer:
      if (auto value = integer(object)) return QVRPropertyList(*value);
      return std::nullopt;
    case Kind::real:
      if (auto value = real(object)) return QVRPropertyList(*value);
      return std::nullopt;
    case Kind::date:
      if (auto value = real(object)) return QVRPropertyList(QVRPropertyList::Date{*value});
      return std::nullopt;
    case Kind::data: {
      if (_error) return std::nullopt;
      const auto first = _bytes.begin() + static_cast<std::ptrdiff_t>(object.start);
      return QVRPropertyList(
          QVRPropertyList::Data(first, first + static_cast<std::ptrdiff_t>(object.count)));
    }
    case Kind::text:
      if (auto value = text(object)) return QVRPropertyList(std::move(*value));
      return std::nullopt;
    case Kind::uid:
      if (auto value = uid(object)) return QVRPropertyList(QVRPropertyList::UID{*value});
      return std::nullopt;
    case Kind::array:
    case Kind::dictionary:
      break;
  }
  return std::nullopt;
}
