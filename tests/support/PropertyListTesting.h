#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRPropertyList.h"
#include "support/SeededRandom.h"

// Readable failures: a property list in a compact text form.
inline void PrintTo(const QVRPropertyList& value, std::ostream* stream) {
  if (auto boolean = value.boolean()) return void(*stream << (*boolean ? "true" : "false"));
  if (auto integer = value.integer()) return void(*stream << *integer);
  if (auto real = value.real()) return void(*stream << *real << "r");
  if (auto string = value.string()) return void(*stream << '"' << *string << '"');
  if (auto data = value.data()) return void(*stream << "<" << data->size() << " bytes>");
  if (auto date = value.date())
    return void(*stream << "date(" << date->secondsSinceReferenceDate << ")");
  if (auto uid = value.uid()) return void(*stream << "UID(" << uid->value << ")");
  if (auto array = value.array()) {
    *stream << "(";
    for (const auto& element : *array) PrintTo(element, stream), *stream << ", ";
    return void(*stream << ")");
  }
  *stream << "{";
  for (const auto& [key, element] : *value.dictionary()) {
    *stream << key << " = ", PrintTo(element, stream), *stream << "; ";
  }
  *stream << "}";
}

// Helpers for tests of property lists and archives.
namespace PropertyListTesting {

inline std::span<const std::uint8_t> bytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

struct RandomOptions {
  // Only what an XML property list can carry back unchanged: no NaN, text without control
  // characters, dates in whole seconds within libplist's range.
  bool xmlSafe = false;
  bool withUIDs = false;
};

// A random property list of every kind, at most a few levels deep.
inline QVRPropertyList randomPropertyList(std::mt19937_64& random, const RandomOptions& options,
                                          int depth = 0) {
  const auto below = [&](std::uint64_t bound) { return random() % bound; };
  switch (below(depth > 3 ? 8 : 10)) {
    case 0:
      return below(2) == 1;
    case 1:
      return static_cast<std::int64_t>(random()) >> below(64);
    case 2: {
      double value = 0;
      do {
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
      } while (value != value);
      return value;
    }
    case 3: {
      std::string text;
      for (auto length = below(24); length > 0; --length) {
        auto code = static_cast<char32_t>(below(0x1F000));
        if (code >= 0xD800 && code <= 0xDFFF) continue;
        if (code == 0 || (options.xmlSafe && (code < 0x20 || code == 0xFFFE || code == 0xFFFF))) {
          code = 'x';
        }
        // UTF-8: the lead byte, then six bits per continuation byte.
        const int extra = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        constexpr unsigned char leads[] = {0x00, 0xC0, 0xE0, 0xF0};
        text += static_cast<char>(leads[extra] | (code >> (6 * extra)));
        for (int shift = 6 * (extra - 1); shift >= 0; shift -= 6) {
          text += static_cast<char>(0x80 | ((code >> shift) & 0x3F));
        }
      }
      return text;
    }
    case 4: {
      QVRPropertyList::Data bytes(below(40));
      for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
      return bytes;
    }
    case 5: {
      const double seconds =
          static_cast<double>(static_cast<std::int64_t>(below(4'000'000'000)) - 2'000'000'000);
      return QVRPropertyList::Date{options.xmlSafe ? seconds : seconds + 0.25 * below(4)};
    }
    case 6:
      return "ascii " + std::to_string(random());
    case 7:
      if (options.withUIDs) return QVRPropertyList::UID{below(1000)};
      return std::int64_t{7};
    case 8: {
      QVRPropertyList::Array elements;
      for (auto count = below(6); count > 0; --count) {
        elements.push_back(randomPropertyList(random, options, depth + 1));
      }
      return elements;
    }
    default: {
      QVRPropertyList::Dictionary entries;
      for (std::uint64_t index = 0, count = below(6); index < count; ++index) {
        entries.insert_or_assign("key" + std::to_string(index) + "-" + std::to_string(below(100)),
                                 randomPropertyList(random, options, depth + 1));
      }
      return entries;
    }
  }
}

// A binary property list made by hand from its objects' bytes: one-byte references, two-byte
// offsets.
inline std::vector<std::uint8_t> binaryPropertyList(
    const std::vector<std::vector<std::uint8_t>>& objects, std::uint64_t top) {
  std::vector<std::uint8_t> bytes{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
  std::vector<std::size_t> offsets;
  for (const auto& object : objects) {
    offsets.push_back(bytes.size());
    bytes.insert(bytes.end(), object.begin(), object.end());
  }
  const std::size_t tableStart = bytes.size();
  for (const std::size_t offset : offsets) {
    bytes.insert(bytes.end(),
                 {static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset)});
  }
  bytes.insert(bytes.end(), {0, 0, 0, 0, 0, 0, 2, 1});
  for (const std::uint64_t value :
       {std::uint64_t{objects.size()}, top, std::uint64_t{tableStart}}) {
    for (int shift = 56; shift >= 0; shift -= 8)
      bytes.push_back(static_cast<std::uint8_t>(value >> shift));
  }
  return bytes;
}

}  // namespace PropertyListTesting
