#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "numbers/QVRUInt128.h"

// Powers of ten for the decimal arithmetic and its text forms, made at compile time.
class QVRPowersOfTen {
 public:
  QVRPowersOfTen() = delete;

  // 10^power for 0 <= power <= 38 (10^38 is the largest power below 2^128).
  static constexpr QVRUInt128 uint128(int power) { return _uint128[static_cast<unsigned>(power)]; }
  // 10^power for 0 <= power <= 19.
  static constexpr std::uint64_t uint64(int power) {
    return static_cast<std::uint64_t>(_uint128[static_cast<unsigned>(power)]);
  }
  // 10^power for 0 <= power <= 22, each exact as a double.
  static constexpr double float64(int power) { return _float64[static_cast<unsigned>(power)]; }

  // The number of decimal digits of value (0 for zero).
  static constexpr int digitCount(QVRUInt128 value) {
    if (value == 0) return 0;
    const auto high = static_cast<std::uint64_t>(value >> 64);
    const int bits = high != 0 ? 128 - std::countl_zero(high)
                               : 64 - std::countl_zero(static_cast<std::uint64_t>(value));
    // 1233 / 4096 is just above log10(2): the estimate is the count or one less.
    const int estimate = (bits * 1233) >> 12;
    return estimate + (value >= uint128(estimate) ? 1 : 0);
  }

 private:
  static constexpr std::array<QVRUInt128, 39> _uint128 = [] {
    std::array<QVRUInt128, 39> table{};
    table[0] = 1;
    for (std::size_t i = 1; i < table.size(); ++i) table[i] = table[i - 1] * 10;
    return table;
  }();
  static constexpr std::array<double, 23> _float64 = [] {
    std::array<double, 23> table{};
    table[0] = 1;
    for (std::size_t i = 1; i < table.size(); ++i) table[i] = table[i - 1] * 10;
    return table;
  }();
};
