#include "common/QVRBinaryPropertyListReader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRTextEncoding.h"

namespace {

constexpr std::string_view kMagic = "bplist00";
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;

// One reading of one file. Values that several containers share are copied into each of them;
// the two budgets (values made, and bytes of text and data copied) stop bytes that share their
// way into an explosion. A file written without sharing containers makes at most one value per
// reference it holds, so the budgets never bind for honest files.
class Parser {
 public:
  explicit Parser(std::span<const std::uint8_t> bytes)
      : _bytes(bytes),
        _valueBudget(2 * bytes.size() + 64),
        _payloadBudget(64 * bytes.size() + 65536) {}

  std::optional<QVRPropertyList> parse();
  std::optional<QVRArchiveError> error;

 private:
  bool fail(QVRArchiveError failure) {
    if (!error) error = std::move(failure);
    return false;
  }
  std::nullopt_t failed(QVRArchiveError failure) {
    fail(std::move(failure));
    return std::nullopt;
  }

  // The big-endian unsigned integer of `size` bytes (1 to 8) at `offset`, which must lie in the
  // object area (before the offset table) unless `anywhere`.
  std::optional<std::uint64_t> unsignedAt(std::size_t offset, std::size_t size,
                                          bool anywhere = false);
  std::optional<QVRPropertyList> object(std::uint64_t reference, std::size_t depth);
  std::optional<QVRPropertyList> objectAt(std::size_t offset, std::size_t depth);
  std::optional<QVRPropertyList> integerAt(std::size_t offset, unsigned sizeExponent);
  std::optional<double> doubleAt(std::size_t offset);
  // The element count of the object at `offset` and where its elements start, checked to lie
  // before the offset table with `elementSize` bytes each.
  bool countAt(std::size_t offset, unsigned low, std::size_t elementSize, std::size_t& count,
               std::size_t& start);
  bool spend(std::size_t payloadBytes);

  std::span<const std::uint8_t> _bytes;
  std::size_t _offsetSize = 0;
  std::size_t _referenceSize = 0;
  std::uint64_t _objectCount = 0;
  std::size_t _offsetTableStart = 0;
  std::vector<bool> _inProgress;
  std::size_t _valueBudget;
  std::size_t _payloadBudget;
};

std::optional<std::uint64_t> Parser::unsignedAt(std::size_t offset, std::size_t size,
                                                bool anywhere) {
  const std::size_t limit = anywhere ? _bytes.size() : _offsetTableStart;
  if (size < 1 || size > 8 || offset > limit || limit - offset < size) {
    return failed(QVRArchiveError::malformed("integer out of range"));
  }
  std::uint64_t value = 0;
  for (std::size_t index = 0; index < size; ++index) value = (value << 8) | _bytes[offset + index];
  return value;
}

bool Parser::spend(std::size_t payloadBytes) {
  if (_valueBudget == 0 || payloadBytes > _payloadBudget) {
    return fail(QVRArchiveError::budgetExceeded());
  }
  --_valueBudget;
  _payloadBudget -= payloadBytes;
  return true;
}

std::optional<QVRPropertyList> Parser::parse() {
  if (_bytes.size() < kHeaderSize + kTrailerSize ||
      !QVRBinaryPropertyListReader::isBinaryPropertyList(_bytes)) {
    return failed(QVRArchiveError::malformed("not a binary property list"));
  }
  const std::size_t trailer = _bytes.size() - kTrailerSize;
  _offsetSize = _bytes[trailer + 6];
  _referenceSize = _bytes[trailer + 7];
  if (_offsetSize < 1 || _offsetSize > 8 || _referenceSize < 1 || _referenceSize > 8) {
    return failed(QVRArchiveError::malformed("binary property list with bad integer sizes"));
  }
  const auto objectCount = unsignedAt(trailer + 8, 8, true);
  const auto topObject = unsignedAt(trailer + 16, 8, true);
  const auto tableStart = unsignedAt(trailer + 24, 8, true);
  if (!objectCount || !topObject || !tableStart) return std::nullopt;
  if (*tableStart < kHeaderSize || *tableStart > trailer || *objectCount == 0 ||
      *objectCount > (trailer - *tableStart) / _offsetSize || *topObject >= *objectCount) {
    return failed(QVRArchiveError::malformed("binary property list with a bad trailer"));
  }
  _objectCount = *objectCount;
  _offsetTableStart = static_cast<std::size_t>(*tableStart);
  _inProgress.assign(static_cast<std::size_t>(_objectCount), false);
  return object(*topObject, 0);
}

std::optional<QVRPropertyList> Parser::object(std::uint64_t reference, std::size_t depth) {
  if (reference >= _objectCount) {
    return failed(
        QVRArchiveError::malformed("reference " + std::to_string(reference) + " out of range"));
  }
  const auto index = static_cast<std::size_t>(reference);
  if (_inProgress[index]) return failed(QVRArchiveError::cycle());
  if (depth > QVRBinaryPropertyListReader::maximumDepth) {
    return failed(QVRArchiveError::tooDeep());
  }
  // The offset table lies between the objects and the trailer, which parse() checked.
  const auto offset = unsignedAt(_offsetTableStart + index * _offsetSize, _offsetSize, true);
  if (!offset) return std::nullopt;
  if (*offset < kHeaderSize || *offset >= _offsetTableStart) {
    return failed(QVRArchiveError::malformed("object offset out of range"));
  }
  _inProgress[index] = true;
  auto value = objectAt(static_cast<std::size_t>(*offset), depth);
  _inProgress[index] = false;
  return value;
}

std::optional<QVRPropertyList> Parser::integerAt(std::size_t offset, unsigned sizeExponent) {
  switch (sizeExponent) {
    case 0:
    case 1:
    case 2: {
      const auto value = unsignedAt(offset, std::size_t{1} << sizeExponent);
      if (!value) return std::nullopt;
      return QVRPropertyList(static_cast<std::int64_t>(*value));
    }
    case 3: {
      const auto value = unsignedAt(offset, 8);
      if (!value) return std::nullopt;
      return QVRPropertyList(std::bit_cast<std::int64_t>(*value));
    }
    case 4: {
      // Sixteen bytes, read only when the value fits in 64 signed bits.
      const auto high = unsignedAt(offset, 8);
      const auto low = unsignedAt(offset + 8, 8);
      if (!high || !low) return std::nullopt;
      const bool positive = *high == 0 && *low <= std::uint64_t{INT64_MAX};
      const bool negative = *high == UINT64_MAX && *low > std::uint64_t{INT64_MAX};
      if (!positive && !negative) {
        return failed(QVRArchiveError::malformed("integer beyond 64 bits"));
      }
      return QVRPropertyList(std::bit_cast<std::int64_t>(*low));
    }
    default:
      return failed(QVRArchiveError::malformed("integer of bad size"));
  }
}

std::optional<double> Parser::doubleAt(std::size_t offset) {
  const auto bits = unsignedAt(offset, 8);
  if (!bits) return std::nullopt;
  return std::bit_cast<double>(*bits);
}

bool Parser::countAt(std::size_t offset, unsigned low, std::size_t elementSize, std::size_t& count,
                     std::size_t& start) {
  count = low;
  start = offset + 1;
  if (low == 0xF) {
    if (start >= _offsetTableStart) return fail(QVRArchiveError::malformed("count out of range"));
    const std::uint8_t marker = _bytes[start];
    if (marker >> 4 != 0x1 || (marker & 0x0F) > 3) {
      return fail(QVRArchiveError::malformed("bad count"));
    }
    const std::size_t size = std::size_t{1} << (marker & 0x0F);
    const auto value = unsignedAt(start + 1, size);
    if (!value) return false;
    if (*value > _bytes.size())
      return fail(QVRArchiveError::malformed("object runs past its bytes"));
    count = static_cast<std::size_t>(*value);
    start += 1 + size;
  }
  if (start > _offsetTableStart || count > (_offsetTableStart - start) / elementSize) {
    return fail(QVRArchiveError::malformed("object runs past its bytes"));
  }
  return true;
}

std::optional<QVRPropertyList> Parser::objectAt(std::size_t offset, std::size_t depth) {
  const std::uint8_t marker = _bytes[offset];
  const unsigned low = marker & 0x0F;
  std::size_t count = 0;
  std::size_t start = 0;
  switch (marker >> 4) {
    case 0x0:
      if (low != 0x8 && low != 0x9) {
        return failed(QVRArchiveError::malformed("null or fill object"));
      }
      if (!spend(0)) return std::nullopt;
      return QVRPropertyList(low == 0x9);
    case 0x1:
      if (!spend(0)) return std::nullopt;
      return integerAt(offset + 1, low);
    case 0x2: {
      if (!spend(0)) return std::nullopt;
      if (low == 2) {
        const auto bits = unsignedAt(offset + 1, 4);
        if (!bits) return std::nullopt;
        return QVRPropertyList(
            static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(*bits))));
      }
      if (low != 3) return failed(QVRArchiveError::malformed("real of bad size"));
      const auto value = doubleAt(offset + 1);
      if (!value) return std::nullopt;
      return QVRPropertyList(*value);
    }
    case 0x3: {
      if (low != 3) return failed(QVRArchiveError::malformed("date of bad size"));
      if (!spend(0)) return std::nullopt;
      const auto value = doubleAt(offset + 1);
      if (!value) return std::nullopt;
      return QVRPropertyList(QVRPropertyList::Date{*value});
    }
    case 0x4: {
      if (!countAt(offset, low, 1, count, start) || !spend(count)) return std::nullopt;
      const auto first = _bytes.begin() + static_cast<std::ptrdiff_t>(start);
      return QVRPropertyList(
          QVRPropertyList::Data(first, first + static_cast<std::ptrdiff_t>(count)));
    }
    case 0x5: {
      if (!countAt(offset, low, 1, count, start) || !spend(count)) return std::nullopt;
      const auto text = _bytes.subspan(start, count);
      if (std::any_of(text.begin(), text.end(), [](std::uint8_t byte) { return byte >= 0x80; })) {
        return failed(QVRArchiveError::malformed("ASCII text that is not ASCII"));
      }
      return QVRPropertyList(std::string(text.begin(), text.end()));
    }
    case 0x6: {
      if (!countAt(offset, low, 2, count, start) || !spend(3 * count)) return std::nullopt;
      auto text = QVRTextEncoding::utf8FromUTF16(_bytes.subspan(start, 2 * count), true);
      if (!text) return failed(QVRArchiveError::malformed("bad UTF-16 text"));
      return QVRPropertyList(std::move(*text));
    }
    case 0x7: {
      if (!countAt(offset, low, 1, count, start) || !spend(count)) return std::nullopt;
      const auto bytes = _bytes.subspan(start, count);
      std::string text(bytes.begin(), bytes.end());
      if (!QVRTextEncoding::isValidUTF8(text)) {
        return failed(QVRArchiveError::malformed("bad UTF-8 text"));
      }
      return QVRPropertyList(std::move(text));
    }
    case 0x8: {
      if (!spend(0)) return std::nullopt;
      if (low > 7) return failed(QVRArchiveError::malformed("UID beyond 64 bits"));
      const auto value = unsignedAt(offset + 1, low + 1);
      if (!value) return std::nullopt;
      return QVRPropertyList(QVRPropertyList::UID{*value});
    }
    case 0xA: {
      if (!countAt(offset, low, _referenceSize, count, start) || !spend(0)) return std::nullopt;
      QVRPropertyList::Array list;
      list.reserve(count);
      for (std::size_t index = 0; index < count; ++index) {
        const auto reference = unsignedAt(start + index * _referenceSize, _referenceSize);
        if (!reference) return std::nullopt;
        auto element = object(*reference, depth + 1);
        if (!element) return std::nullopt;
        list.push_back(std::move(*element));
      }
      return QVRPropertyList(std::move(list));
    }
    case 0xD: {
      if (!countAt(offset, low, 2 * _referenceSize, count, start) || !spend(0)) {
        return std::nullopt;
      }
      QVRPropertyList::Dictionary dictionary;
      for (std::size_t index = 0; index < count; ++index) {
        const auto keyReference = unsignedAt(start + index * _referenceSize, _referenceSize);
        const auto valueReference =
            unsignedAt(start + (count + index) * _referenceSize, _referenceSize);
        if (!keyReference || !valueReference) return std::nullopt;
        auto key = object(*keyReference, depth + 1);
        if (!key) return std::nullopt;
        if (!key->isString()) {
          return failed(QVRArchiveError::malformed("dictionary key that is no text"));
        }
        auto value = object(*valueReference, depth + 1);
        if (!value) return std::nullopt;
        dictionary.insert_or_assign(std::move(*key->string()), std::move(*value));
      }
      return QVRPropertyList(std::move(dictionary));
    }
    default:
      return failed(QVRArchiveError::malformed("object of kind " + std::to_string(marker >> 4) +
                                               ", which property lists of the model never hold"));
  }
}

}  // namespace

bool QVRBinaryPropertyListReader::isBinaryPropertyList(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= kMagic.size() &&
         std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) == 0;
}

QVRResult<std::optional<QVRPropertyList>> QVRBinaryPropertyListReader::propertyList(
    std::span<const std::uint8_t> bytes) {
  Parser parser(bytes);
  auto value = parser.parse();
  if (!value) {
    return {std::nullopt, parser.error.value_or(QVRArchiveError::malformed("unreadable"))};
  }
  return {std::move(value), std::nullopt};
}
