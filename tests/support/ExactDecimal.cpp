#include "support/ExactDecimal.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

namespace {

// 2^128, the bound of every mantissa.
const ExactInteger& twoTo128() {
  static const ExactInteger value =
      ExactInteger::fromDigits("340282366920938463463374607431768211456");
  return value;
}

}  // namespace

ExactInteger ExactInteger::fromDigits(std::string digits) {
  const std::size_t first = digits.find_first_not_of('0');
  ExactInteger value;
  value._digits = first == std::string::npos ? std::string() : digits.substr(first);
  return value;
}

ExactInteger ExactInteger::fromMantissa(QVRUInt128 value) {
  std::string digits;
  while (value != 0) {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  }
  return fromDigits(digits);
}

ExactInteger ExactInteger::timesPowerOfTen(long long power) const {
  if (isZero()) return *this;
  ExactInteger value = *this;
  value._digits.append(static_cast<std::size_t>(power), '0');
  return value;
}

ExactInteger operator+(const ExactInteger& left, const ExactInteger& right) {
  std::string sum;
  int carry = 0;
  auto a = left._digits.rbegin();
  auto b = right._digits.rbegin();
  while (a != left._digits.rend() || b != right._digits.rend() || carry != 0) {
    int digit = carry;
    if (a != left._digits.rend()) digit += *a++ - '0';
    if (b != right._digits.rend()) digit += *b++ - '0';
    sum.push_back(static_cast<char>('0' + digit % 10));
    carry = digit / 10;
  }
  std::reverse(sum.begin(), sum.end());
  return ExactInteger::fromDigits(sum);
}

ExactInteger operator-(const ExactInteger& left, const ExactInteger& right) {
  if (left < right) throw std::logic_error("ExactInteger below zero");
  std::string difference;
  int borrow = 0;
  auto b = right._digits.rbegin();
  for (auto a = left._digits.rbegin(); a != left._digits.rend(); ++a) {
    int digit = (*a - '0') - borrow;
    if (b != right._digits.rend()) digit -= *b++ - '0';
    borrow = digit < 0 ? 1 : 0;
    difference.push_back(static_cast<char>('0' + digit + 10 * borrow));
  }
  std::reverse(difference.begin(), difference.end());
  return ExactInteger::fromDigits(difference);
}

ExactInteger operator*(const ExactInteger& left, const ExactInteger& right) {
  if (left.isZero() || right.isZero()) return {};
  std::vector<int> columns(left._digits.size() + right._digits.size(), 0);
  for (std::size_t i = 0; i < left._digits.size(); ++i) {
    for (std::size_t j = 0; j < right._digits.size(); ++j) {
      columns[i + j + 1] += (left._digits[i] - '0') * (right._digits[j] - '0');
    }
  }
  for (std::size_t k = columns.size() - 1; k > 0; --k) {
    columns[k - 1] += columns[k] / 10;
    columns[k] %= 10;
  }
  std::string product;
  for (int column : columns) product.push_back(static_cast<char>('0' + column));
  return ExactInteger::fromDigits(product);
}

std::strong_ordering operator<=>(const ExactInteger& left, const ExactInteger& right) {
  if (left._digits.size() != right._digits.size()) {
    return left._digits.size() <=> right._digits.size();
  }
  return left._digits.compare(right._digits) <=> 0;
}

std::pair<ExactInteger, ExactInteger> ExactInteger::divide(const ExactInteger& dividend,
                                                           const ExactInteger& divisor) {
  if (divisor.isZero()) throw std::logic_error("ExactInteger division by zero");
  // Long division, one quotient digit at a time: the largest multiple of the divisor that fits
  // the running remainder is taken from it.
  std::array<ExactInteger, 10> multiples;
  for (std::size_t i = 1; i < multiples.size(); ++i) multiples[i] = multiples[i - 1] + divisor;
  std::string quotient;
  ExactInteger remainder;
  for (char digit : dividend._digits) {
    remainder = fromDigits(remainder._digits + digit);
    int next = 9;
    while (remainder < multiples[static_cast<std::size_t>(next)]) --next;
    remainder = remainder - multiples[static_cast<std::size_t>(next)];
    quotient.push_back(static_cast<char>('0' + next));
  }
  return {fromDigits(quotient), remainder};
}

ExactDecimal ExactDecimal::of(const QVRTallixDecimal& value) {
  if (value.isNaN()) throw std::logic_error("ExactDecimal of not-a-number");
  return {value.isNegative(), ExactInteger::fromMantissa(value.mantissa()), value.exponent()};
}

ExactDecimal ExactDecimal::parse(const std::string& text) {
  ExactDecimal value;
  std::size_t index = 0;
  if (index < text.size() && text[index] == '-') {
    value.negative = true;
    ++index;
  }
  std::string digits;
  long long fraction = 0;
  bool inFraction = false;
  for (; index < text.size() && text[index] != 'e'; ++index) {
    if (text[index] == '.') {
      inFraction = true;
    } else {
      digits.push_back(text[index]);
      if (inFraction) ++fraction;
    }
  }
  const long long exponent = index < text.size() ? std::stoll(text.substr(index + 1)) : 0;
  value.magnitude = ExactInteger::fromDigits(digits);
  value.exponent = exponent - fraction;
  value.negative = value.negative && !value.magnitude.isZero();
  return value;
}

std::string ExactDecimal::text() const {
  return std::string(negative ? "-" : "") + magnitude.text() + "e" + std::to_string(exponent);
}

ExactDecimal operator+(const ExactDecimal& left, const ExactDecimal& right) {
  const long long exponent = std::min(left.exponent, right.exponent);
  const ExactInteger a = left.magnitude.timesPowerOfTen(left.exponent - exponent);
  const ExactInteger b = right.magnitude.timesPowerOfTen(right.exponent - exponent);
  ExactDecimal sum;
  sum.exponent = exponent;
  if (left.negative == right.negative) {
    sum.magnitude = a + b;
    sum.negative = left.negative;
  } else if (a < b) {
    sum.magnitude = b - a;
    sum.negative = right.negative;
  } else {
    sum.magnitude = a - b;
    sum.negative = left.negative;
  }
  sum.negative = sum.negative && !sum.magnitude.isZero();
  return sum;
}

ExactDecimal operator-(const ExactDecimal& left, const ExactDecimal& right) {
  ExactDecimal negated = right;
  negated.negative = !right.negative && !right.magnitude.isZero();
  return left + negated;
}

ExactDecimal operator*(const ExactDecimal& left, const ExactDecimal& right) {
  ExactDecimal product;
  product.magnitude = left.magnitude * right.magnitude;
  product.exponent = left.exponent + right.exponent;
  product.negative = left.negative != right.negative && !product.magnitude.isZero();
  return product;
}

ExactDecimal ExactDecimal::truncatedQuotient(const ExactDecimal& left, const ExactDecimal& right,
                                             int digits) {
  const long long scale = std::max<long long>(
      0, digits + right.magnitude.digitCount() - left.magnitude.digitCount() + 1);
  ExactDecimal quotient;
  quotient.magnitude =
      ExactInteger::divide(left.magnitude.timesPowerOfTen(scale), right.magnitude).first;
  quotient.exponent = left.exponent - right.exponent - scale;
  quotient.negative = left.negative != right.negative && !quotient.magnitude.isZero();
  return quotient;
}

int ExactDecimal::order(const ExactDecimal& left, const ExactDecimal& right) {
  const ExactDecimal difference = left - right;
  if (difference.magnitude.isZero()) return 0;
  return difference.negative ? -1 : 1;
}

ExpectedDecimal ExpectedDecimal::of(const ExactDecimal& exact) {
  ExpectedDecimal expected;
  if (exact.magnitude.isZero()) return expected;
  const std::string& digits = exact.magnitude.digits();
  const long long count = exact.magnitude.digitCount();
  // The magnitude rounded plainly with its last `drop` digits dropped.
  auto roundedDropping = [&](long long drop) {
    if (drop > count) return ExactInteger();
    ExactInteger kept =
        ExactInteger::fromDigits(digits.substr(0, static_cast<std::size_t>(count - drop)));
    if (drop > 0 && digits[static_cast<std::size_t>(count - drop)] >= '5') {
      kept = kept + ExactInteger::fromDigits("1");
    }
    return kept;
  };
  long long drop = std::max<long long>(0, count - 39);
  if (roundedDropping(drop) >= twoTo128()) ++drop;
  drop = std::max(drop, -128 - exact.exponent);
  ExactInteger mantissa = roundedDropping(drop);
  long long exponent = exact.exponent + drop;
  if (mantissa.isZero()) {
    expected.error = QVRTallixDecimalError::underflow;
    return expected;
  }
  while (exponent > 127) {
    mantissa = mantissa.timesPowerOfTen(1);
    --exponent;
    if (mantissa >= twoTo128()) {
      expected.error = QVRTallixDecimalError::overflow;
      return expected;
    }
  }
  std::string compact = mantissa.digits();
  while (exponent < 127 && compact.back() == '0') {
    compact.pop_back();
    ++exponent;
  }
  expected.negative = exact.negative;
  expected.mantissa = ExactInteger::fromDigits(compact);
  expected.exponent = exponent;
  return expected;
}

std::string ExpectedDecimal::text() const {
  if (error == QVRTallixDecimalError::overflow) return "overflow";
  if (error == QVRTallixDecimalError::underflow) return "underflow";
  if (error == QVRTallixDecimalError::divideByZero) return "division by zero";
  return std::string(negative ? "-" : "") + mantissa.text() + "e" + std::to_string(exponent);
}

std::string ExpectedDecimal::mismatch(const QVRTallixDecimal::Result& result) const {
  std::string found;
  if (result.error != QVRTallixDecimalError::none) {
    ExpectedDecimal failed;
    failed.error = result.error;
    found = failed.text();
  } else if (result.value.isNaN()) {
    found = "NaN";
  } else {
    found = std::string(result.value.isNegative() ? "-" : "") +
            ExactInteger::fromMantissa(result.value.mantissa()).text() + "e" +
            std::to_string(result.value.exponent());
  }
  return found == text() ? std::string() : std::string("gave ") + found + ", expected " + text();
}
