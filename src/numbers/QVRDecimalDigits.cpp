#include "numbers/QVRDecimalDigits.h"

#include <algorithm>
#include <limits>

namespace {

// Writes the digits of value (at least `width` of them, with leading zeros) ending at `end`;
// answers where they begin.
char* writeDigits(std::uint64_t value, char* end, int width) {
  char* cursor = end;
  do {
    *--cursor = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (end - cursor < width) *--cursor = '0';
  return cursor;
}

// Scales of display rounding are kept within this, so that exponents stay far from int's limits.
constexpr long long scaleLimit = 1'000'000;

}  // namespace

QVRDecimalDigits::QVRDecimalDigits(bool negative, QVRUInt128 mantissa, int exponent)
    : _exponent(mantissa == 0 ? 0 : exponent), _negative(negative && mantissa != 0) {
  // In chunks of 19 digits, each of which fits 64 bits.
  constexpr std::uint64_t chunk = 10'000'000'000'000'000'000u;
  char buffer[capacity];
  char* const end = buffer + capacity;
  char* begin;
  if (mantissa <= std::numeric_limits<std::uint64_t>::max()) {
    begin = writeDigits(static_cast<std::uint64_t>(mantissa), end, 0);
  } else {
    const QVRUInt128 upper = mantissa / chunk;
    begin = writeDigits(static_cast<std::uint64_t>(mantissa % chunk), end, 19);
    if (upper <= std::numeric_limits<std::uint64_t>::max()) {
      begin = writeDigits(static_cast<std::uint64_t>(upper), begin, 0);
    } else {
      begin = writeDigits(static_cast<std::uint64_t>(upper % chunk), begin, 19);
      begin = writeDigits(static_cast<std::uint64_t>(upper / chunk), begin, 0);
    }
  }
  _count = static_cast<int>(end - begin);
  std::copy(begin, end, _digits.begin());
}

QVRDecimalDigits QVRDecimalDigits::roundedToSignificantDigits(int significantDigits,
                                                              QVRTallixRoundingMode mode) const {
  if (significantDigits <= 0 || _count <= significantDigits) return *this;
  return droppingDigits(_count - significantDigits, mode);
}

QVRDecimalDigits QVRDecimalDigits::roundedToScale(int scale, QVRTallixRoundingMode mode) const {
  const long long unitExponent = -std::clamp<long long>(scale, -scaleLimit, scaleLimit);
  if (isZero() || _exponent >= unitExponent) return *this;
  return droppingDigits(unitExponent - _exponent, mode);
}

QVRDecimalDigits QVRDecimalDigits::droppingDigits(long long drop,
                                                  QVRTallixRoundingMode mode) const {
  int kept = 0;
  bool up;
  if (drop > _count) {
    // Every digit is dropped, and the first dropped one is a leading zero.
    up = QVRTallixRoundingModeRoundsUp(mode, 0, !isZero(), false);
  } else {
    kept = _count - static_cast<int>(drop);
    const int firstDropped = _digits[static_cast<std::size_t>(kept)] - '0';
    const bool restIsNonZero = std::any_of(_digits.begin() + kept + 1, _digits.begin() + _count,
                                           [](char digit) { return digit != '0'; });
    const bool keptIsOdd = kept > 0 && (_digits[static_cast<std::size_t>(kept - 1)] - '0') % 2 == 1;
    up = QVRTallixRoundingModeRoundsUp(mode, firstDropped, restIsNonZero, keptIsOdd);
  }
  QVRDecimalDigits result;
  long long exponent = _exponent + drop;  // of the last kept digit
  std::copy(_digits.begin(), _digits.begin() + kept, result._digits.begin());
  if (up) {
    // Add one unit: trailing nines turn into zeros, and nines all the way up leave a one in
    // front of them.
    int position = kept - 1;
    while (position >= 0 && result._digits[static_cast<std::size_t>(position)] == '9') --position;
    if (position >= 0) {
      ++result._digits[static_cast<std::size_t>(position)];
      exponent += kept - (position + 1);
      kept = position + 1;
    } else {
      result._digits[0] = '1';
      exponent += kept;
      kept = 1;
    }
  }
  if (kept == 0) return QVRDecimalDigits();
  while (kept > 1 && result._digits[static_cast<std::size_t>(kept - 1)] == '0') {
    --kept;
    ++exponent;
  }
  if (kept == 1 && result._digits[0] == '0') return QVRDecimalDigits();
  result._count = kept;
  result._exponent = static_cast<int>(exponent);
  result._negative = _negative;
  return result;
}
