#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "numbers/QVRTallixDecimal.h"
#include "numbers/QVRTallixNumber.h"

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;

// Posted on the environment's notification centre, with the editable number as object, whenever
// its text changes.
inline constexpr std::string_view QVRTallixEditableNumberDidChange =
    "QVRTallixEditableNumberDidChange";

// The number being typed: a text that grows and shrinks key by key, whose value is read from the
// text whenever it is asked for.
//
// The text has an internal form, whatever the user's locale: an optional "-", then at most 15
// digits with at most one "|" standing for the decimal separator; a lone "0" or "-0" is replaced,
// not extended, by the next digit. Typical states: "" (nothing typed), "-", "0|", "12|5", "-7".
//
// The value takes part in arithmetic and formatting as the plain number `number()`; the text
// while typing is editString, with the locale's separator and no grouping.
class QVRTallixEditableNumber {
 public:
  static constexpr long maximumDigits = 15;
  static constexpr char separator = '|';

  // An empty number.
  QVRTallixEditableNumber() = default;
  // A number holding `string`, taken as already in the internal form.
  explicit QVRTallixEditableNumber(std::string string) : _string(std::move(string)) {}
  // A number holding the plain text of `number` (zero when absent) with "|" for its point: the
  // value exactly, digits beyond fifteen included; not-a-number keeps its text "NaN".
  explicit QVRTallixEditableNumber(const std::optional<QVRTallixDecimal>& number);
  // Identity object: its notifications name it, and observers tell numbers apart by address.
  QVRTallixEditableNumber(const QVRTallixEditableNumber&) = delete;
  QVRTallixEditableNumber& operator=(const QVRTallixEditableNumber&) = delete;

  // What has been typed, in the internal form.
  const std::string& string() const { return _string; }
  // Nothing sets it: the digit limit is numberOfDigits's business.
  bool canAddDigit() const { return false; }
  bool canEdit() const { return true; }

  bool isNegative() const { return !_string.empty() && _string.front() == '-'; }
  // "", "-", "0|" or "-0|".
  bool isBlank() const;
  // The length of the text less the sign and the separator.
  long numberOfDigits() const;
  bool canAddSeparator() const;
  bool canDeleteDigit() const;

  // Each change below posts QVRTallixEditableNumberDidChange once; what changes nothing posts
  // nothing (clear and addNegation always change or post).
  void addSeparator();
  // Appends the digit 0 to 9 (other values are ignored); at the limit only a lone zero is
  // replaced.
  void addDigit(std::uint64_t digit);
  void deleteDigit();
  void clear();
  void addNegation();

  // The text shown while typing: "0" or "-0" (with the separator when typed) for a blank number,
  // else the text with the locale's separator for "|".
  std::string editString() const;
  // Zero when blank, else the text read with "|" as the separator (not-a-number if it does not
  // read: a text that was never in the internal form).
  QVRTallixDecimal decimalNumber() const;
  // The value as a plain number, for arithmetic and formatting.
  QVRTallixNumber number() const { return QVRTallixNumber(decimalNumber()); }
  std::string formattedString() const { return number().formattedString(); }
  // The decimal separator of the user's locale.
  static std::string _separator();

  // True exactly when `other` has the same text: 5 and 5| differ. (Against plain numbers the
  // equality is one-way; see QVRTallixAnyNumber.)
  bool isEqual(const QVRTallixEditableNumber& other) const { return _string == other._string; }
  // An independent number with a copy of the text.
  std::unique_ptr<QVRTallixEditableNumber> copy() const;
  // "QVRTallixEditableNumber(-12|5)".
  std::string description() const;

  // The number on the pasteboard as an editable number, or none.
  static std::unique_ptr<QVRTallixEditableNumber> tallixNumberFromPasteboard();
  // Puts the editString on the pasteboard: the number as typed, with the locale's separator.
  void writeToPasteboard() const;

  // Keyed archives: the text under "string"; the plain number's "decimalNumber" is neither
  // written nor read.
  static std::string_view archiveClassName() { return "QVRTallixEditableNumber"; }
  static std::array<std::string_view, 1> archiveSuperclassNames() { return {"QVRTallixNumber"}; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const;
  // None when "string" holds anything but a text in the internal form.
  static std::unique_ptr<QVRTallixEditableNumber> initWithCoder(QVRKeyedUnarchiver& coder);
  // An optional "-", then at most 15 digits with at most one "|".
  static bool isInternalForm(std::string_view text);

 private:
  bool hasSeparator() const { return _string.find(separator) != std::string::npos; }
  void postChange();

  std::string _string;
};

// For readable test failures: the description.
void PrintTo(const QVRTallixEditableNumber& number, std::ostream* stream);
