#include "numbers/QVRDecimalScanner.h"

#include <array>

#include "numbers/QVRUInt256.h"

namespace {

bool isDigit(char byte) {
  return byte >= '0' && byte <= '9';
}

}  // namespace

std::optional<QVRTallixDecimal> QVRDecimalScanner::scanNumber() {
  skipWhitespace();
  bool negative = false;
  if (!isAtEnd() && (_text[_index] == '-' || _text[_index] == '+')) {
    negative = _text[_index] == '-';
    ++_index;
  }
  // The value read is digits × 10^exponent, plus the digits dropped after them.
  std::array<char, collectedDigitLimit> digits{};
  int count = 0;
  std::int64_t exponent = 0;
  bool sawDigit = false;
  bool inFraction = false;
  while (!isAtEnd()) {
    const char byte = _text[_index];
    if (isDigit(byte)) {
      sawDigit = true;
      if (count == 0 && byte == '0') {
        // A leading zero: only its place counts, after the separator.
        if (inFraction) --exponent;
      } else if (count < collectedDigitLimit) {
        digits[static_cast<std::size_t>(count++)] = byte;
        if (inFraction) --exponent;
      } else if (!inFraction) {
        ++exponent;
      }
      ++_index;
    } else if (!inFraction && matchesSeparator()) {
      inFraction = true;
      _index += _separator.size();
    } else {
      break;
    }
  }
  if (!sawDigit) return std::nullopt;
  scanExponent(exponent);

  // Up to 38 digits fit 128 bits; the last two, if any, are added in 256.
  QVRUInt128 head = 0;
  const int headCount = count < 38 ? count : 38;
  for (int i = 0; i < headCount; ++i) head = head * 10 + QVRUInt128(digits[i] - '0');
  QVRUInt256 value(head);
  for (int i = headCount; i < count; ++i) {
    value = value.multipliedBy(10) + QVRUInt256(QVRUInt128(digits[i] - '0'));
  }
  const QVRTallixDecimal::Result result = QVRTallixDecimal::make(negative, value, exponent);
  switch (result.error) {
    case QVRTallixDecimalError::overflow:
      return std::nullopt;
    case QVRTallixDecimalError::underflow:
      return QVRTallixDecimal::zero();
    case QVRTallixDecimalError::none:
    case QVRTallixDecimalError::divideByZero:
      break;
  }
  return result.value;
}

void QVRDecimalScanner::scanExponent(std::int64_t& exponent) {
  if (isAtEnd() || (_text[_index] != 'e' && _text[_index] != 'E')) return;
  std::size_t probe = _index + 1;
  bool exponentNegative = false;
  if (probe < _text.size() && (_text[probe] == '-' || _text[probe] == '+')) {
    exponentNegative = _text[probe] == '-';
    ++probe;
  }
  std::int64_t value = 0;
  bool sawExponentDigit = false;
  while (probe < _text.size() && isDigit(_text[probe])) {
    sawExponentDigit = true;
    // Beyond 100000 every value is out of range anyway.
    if (value < 100000) value = value * 10 + (_text[probe] - '0');
    ++probe;
  }
  if (sawExponentDigit) {
    exponent += exponentNegative ? -value : value;
    _index = probe;
  }
}

void QVRDecimalScanner::skipWhitespace() {
  while (!isAtEnd()) {
    const auto byte = static_cast<unsigned char>(_text[_index]);
    if (byte == ' ' || (byte >= '\t' && byte <= '\r')) {
      ++_index;
    } else if (const std::size_t length = byte >= 0x80 ? whitespaceLength() : 0; length > 0) {
      _index += length;
    } else {
      return;
    }
  }
}

std::size_t QVRDecimalScanner::whitespaceLength() const {
  // The white space of Unicode beyond ASCII, in UTF-8: U+0085, U+00A0, U+1680, U+2000…U+200A,
  // U+2028, U+2029, U+202F, U+205F and U+3000.
  const std::string_view rest = _text.substr(_index);
  auto byteAt = [&](std::size_t offset) {
    return offset < rest.size() ? static_cast<unsigned char>(rest[offset]) : 0u;
  };
  const unsigned first = byteAt(0);
  const unsigned second = byteAt(1);
  const unsigned third = byteAt(2);
  if (first == 0xC2 && (second == 0x85 || second == 0xA0)) return 2;
  if (first == 0xE1 && second == 0x9A && third == 0x80) return 3;
  if (first == 0xE2 && second == 0x80 &&
      ((third >= 0x80 && third <= 0x8A) || third == 0xA8 || third == 0xA9 || third == 0xAF)) {
    return 3;
  }
  if (first == 0xE2 && second == 0x81 && third == 0x9F) return 3;
  if (first == 0xE3 && second == 0x80 && third == 0x80) return 3;
  return 0;
}

bool QVRDecimalScanner::matchesSeparator() const {
  return !_separator.empty() && _text.substr(_index).starts_with(_separator);
}
