#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/QVRPropertyList.h"
#include "common/QVRResult.h"

// Reads a binary property list ("bplist00") from any bytes, never raising and never crashing.
//
// Every offset, count and reference is checked against the bytes; an object that contains itself,
// nesting deeper than maximumDepth, and the kinds that property lists of the model never hold
// (sets, null, fill bytes, integers beyond 64 bits) make the bytes malformed. Objects that are
// referred to from many places are copied into each place, so the total made is bounded by the
// size of the bytes: a few hundred bytes of lists that share their elements cannot make a
// gigabyte of values.
class QVRBinaryPropertyListReader {
 public:
  QVRBinaryPropertyListReader() = delete;

  // The most containers around a value (an archive nests four).
  static constexpr std::size_t maximumDepth = 64;

  static bool isBinaryPropertyList(std::span<const std::uint8_t> bytes);
  static QVRResult<std::optional<QVRPropertyList>> propertyList(
      std::span<const std::uint8_t> bytes);
};
