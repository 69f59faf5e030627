#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "numbers/QVRComparisonResult.h"
#include "numbers/QVRTallixDecimal.h"

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;
class QVRTallixNumberFormatter;

// The number of significant digits with which a unit formats an amount.
inline constexpr std::uint64_t QVRTallixNumberMaximumSignificantDigits = 15;

// The number value of the calculator: an immutable value around a decimal, which may be absent
// (a number made with no value). Copies share nothing and change nothing, so numbers are passed
// and kept by value. No operation fails towards the caller: a failed decimal operation is retried
// in double precision, and a result that is not finite becomes not-a-number.
class [[nodiscard]] QVRTallixNumber {
 public:
  // A number with no value.
  QVRTallixNumber() = default;
  // A number holding `number`; an absent argument gives zero.
  explicit QVRTallixNumber(std::optional<QVRTallixDecimal> number)
      : _decimalNumber(number.value_or(QVRTallixDecimal::zero())) {}

  // A number holding not-a-number.
  static QVRTallixNumber nan();
  // A number in [0, 1]: the environment's random integer from 0 to 2147483647 divided by
  // 2147483647.0, through tallixNumberWithDoubleValue.
  static QVRTallixNumber random();
  // The decimal of a finite double (through its shortest text); not-a-number for NaN and the
  // infinities.
  static QVRTallixNumber tallixNumberWithDoubleValue(double value);

  // The value; absent for a number with no value.
  const std::optional<QVRTallixDecimal>& decimalNumber() const { return _decimalNumber; }
  // The value as a double; 0 when it is absent.
  double doubleValue() const { return _decimalNumber ? _decimalNumber->doubleValue() : 0; }
  // Whether the number is being typed: never for this class.
  bool canEdit() const { return false; }

  // The decimal operation with this number on the left; when it fails, or a value is absent,
  // the double operation on the two doubleValues.
  QVRTallixNumber add(const QVRTallixNumber& other) const;
  QVRTallixNumber subtract(const QVRTallixNumber& other) const;
  QVRTallixNumber multiply(const QVRTallixNumber& other) const;
  QVRTallixNumber divide(const QVRTallixNumber& other) const;

  // The order of the two values; an absent value counts as zero, not-a-number comes first.
  QVRComparisonResult compare(const QVRTallixNumber& other) const;
  // True when both hold the same value, or both hold none. This is the one place of number
  // equality: the one-way rule between plain and typed numbers belongs here.
  bool isEqual(const QVRTallixNumber& other) const;

  // A plain number of the same value; a number with no value copies to zero.
  QVRTallixNumber copy() const { return QVRTallixNumber(_decimalNumber); }
  // "QVRTallixNumber(2.5)"; "QVRTallixNumber((null))" for a number with no value.
  std::string description() const;

  // Scientific functions (QVRTallixNumber+Scientific.cpp). `radians` is the expression's angle
  // mode: false means degrees.
  QVRTallixNumber percent() const;
  QVRTallixNumber negate() const;
  QVRTallixNumber invert() const;
  QVRTallixNumber powTwo() const;
  QVRTallixNumber powThree() const;
  QVRTallixNumber round() const;
  QVRTallixNumber pow(const QVRTallixNumber& exponent) const;
  QVRTallixNumber log(const QVRTallixNumber& base) const;
  QVRTallixNumber ee(const QVRTallixNumber& exponent) const;
  QVRTallixNumber rt(const QVRTallixNumber& degree) const;
  QVRTallixNumber tenPow() const;
  QVRTallixNumber twoPow() const;
  QVRTallixNumber expTwo() const;
  QVRTallixNumber exp() const;
  QVRTallixNumber ln() const;
  QVRTallixNumber logTen() const;
  QVRTallixNumber logTwo() const;
  QVRTallixNumber rtTwo() const;
  QVRTallixNumber rtThree() const;
  QVRTallixNumber factorial() const;
  QVRTallixNumber sin(bool radians) const;
  QVRTallixNumber cos(bool radians) const;
  QVRTallixNumber tan(bool radians) const;
  QVRTallixNumber asin(bool radians) const;
  QVRTallixNumber acos(bool radians) const;
  QVRTallixNumber atan(bool radians) const;
  QVRTallixNumber sinh() const;
  QVRTallixNumber cosh() const;
  QVRTallixNumber tanh() const;
  QVRTallixNumber asinh() const;
  QVRTallixNumber acosh() const;
  QVRTallixNumber atanh() const;

  // Text forms (QVRTallixNumber+Formatting.cpp).

  // A new formatter with the platform's defaults in the user's locale; when that locale writes
  // other digits than the ASCII ones, in the locale "en" with the user's currency code and symbol.
  static QVRTallixNumberFormatter simpleDigitNumberFormatter();
  // The standard style: grouped decimal notation with at most `maximumSignificantDigits` digits
  // (fewer below 10^14), scientific notation from 10^maximumSignificantDigits up and below
  // 10^−min(maximumSignificantDigits, 8); "0" for zero and for no value, the localised "Error"
  // for not-a-number.
  static std::string scientificFormattedDecimalNumber(const std::optional<QVRTallixDecimal>& number,
                                                      std::uint64_t maximumSignificantDigits);
  // The standard style with 15 significant digits.
  static std::string scientificFormattedDecimalNumber(
      const std::optional<QVRTallixDecimal>& number);
  // The currency style of the user's currency, rounded half-up to its fraction digits, with
  // `currencySymbol` (none: the user's own); amounts of 10^13 and more in the standard style.
  static std::string currencyFormattedDecimalNumber(const std::optional<QVRTallixDecimal>& number,
                                                    std::optional<std::string_view> currencySymbol);
  // The text shown for the number, in the settings' currency mode or not.
  std::string formattedString() const;
  // Mode 1: the currency style without a symbol of its own; any other mode: the standard style.
  std::string formattedStringWithMode(std::uint64_t mode) const;
  // The text while typing; for a plain number its formattedString.
  std::string editString() const { return formattedString(); }

  // The pasteboard (QVRTallixNumber+Pasteboard.cpp).

  // The number in the plain text of the environment's pasteboard, read leniently in the user's
  // locale; none when there is no text or it holds no number.
  static std::optional<QVRTallixNumber> tallixNumberFromPasteboard();
  // Puts the number's editString on the pasteboard as plain text.
  void writeToPasteboard() const;

  // Keyed archives (QVRTallixNumber+Archiving.cpp): the value under "decimalNumber" as its exact
  // text, nothing for a number with no value.
  static std::string_view archiveClassName() { return "QVRTallixNumber"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const;
  // None when "decimalNumber" holds something that is no decimal value.
  static std::optional<QVRTallixNumber> initWithCoder(QVRKeyedUnarchiver& coder);

 private:
  std::optional<QVRTallixDecimal> _decimalNumber;
};

// For readable test failures: the description.
void PrintTo(const QVRTallixNumber& number, std::ostream* stream);
