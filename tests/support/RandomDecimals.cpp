#include "support/RandomDecimals.h"

#include <algorithm>

#include "numbers/QVRPowersOfTen.h"

QVRTallixDecimal RandomDecimals::any(SeededRandom& random) {
  for (;;) {
    QVRUInt128 mantissa;
    switch (random.between(0, 9)) {
      case 0:
        mantissa = 0;
        break;
      case 1:
        mantissa = QVRUInt128Max - QVRUInt128(random.between(0, 3));
        break;
      case 2:
        mantissa = QVRPowersOfTen::uint128(static_cast<int>(random.between(0, 38)));
        break;
      case 3:
        mantissa = QVRPowersOfTen::uint128(static_cast<int>(random.between(1, 38))) - 1;
        break;
      case 4:
        mantissa = QVRUInt128(random.between(1, 999));
        break;
      default: {
        const auto digits = static_cast<int>(random.between(1, 39));
        const QVRUInt128 bits = (QVRUInt128(random.next()) << 64) | random.next();
        mantissa = digits == 39 ? bits : bits % QVRPowersOfTen::uint128(digits);
      }
    }
    int exponent;
    switch (random.between(0, 3)) {
      case 0:
        exponent = static_cast<int>(random.between(-128, 127));
        break;
      case 1:
        exponent = static_cast<int>(random.between(-128, -90));
        break;
      case 2:
        exponent = static_cast<int>(random.between(90, 127));
        break;
      default:
        exponent = static_cast<int>(random.between(-20, 20));
    }
    const QVRTallixDecimal::Result value =
        QVRTallixDecimal::make(random.coin(), mantissa, exponent);
    if (value.ok()) return value.value;
  }
}

QVRTallixDecimal RandomDecimals::partner(const QVRTallixDecimal& first, SeededRandom& random) {
  switch (random.between(0, 3)) {
    case 0: {
      const auto delta = QVRUInt128(random.between(0, 20));
      const QVRUInt128 mantissa =
          first.mantissa() > delta ? first.mantissa() - delta : first.mantissa() + delta;
      const QVRTallixDecimal::Result value =
          QVRTallixDecimal::make(random.coin(), mantissa, first.exponent());
      return value.ok() ? value.value : first;
    }
    case 1: {
      const auto shift = static_cast<int>(random.between(0, 80));
      const QVRTallixDecimal::Result value = QVRTallixDecimal::make(
          random.coin(), QVRUInt128(random.next() | 1), std::max(-128, first.exponent() - shift));
      return value.ok() ? value.value : first;
    }
    default:
      return any(random);
  }
}
