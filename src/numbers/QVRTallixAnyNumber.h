#pragma once

#include <array>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "numbers/QVRTallixEditableNumber.h"
#include "numbers/QVRTallixNumber.h"

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;

// A number that is either a plain value or the number being typed: what a number component of an
// expression holds. A plain number is kept by value; an editable one is owned here and edited in
// place through editableNumber(), so its address (the object of its notifications) stays while
// the holder moves.
//
// This is also the one place of the one-way equality between the two kinds:
//
//   receiver \ other | plain            | editable
//   plain            | same value       | same value
//   editable         | never            | same text (5 and 5| differ)
class QVRTallixAnyNumber {
 public:
  // A plain number.
  explicit QVRTallixAnyNumber(QVRTallixNumber number) : _number(std::move(number)) {}
  // An editable number; none gives a plain number with no value.
  explicit QVRTallixAnyNumber(std::unique_ptr<QVRTallixEditableNumber> editable);
  // Move-only: the editable number has one owner; copy() makes an independent copy.
  QVRTallixAnyNumber(QVRTallixAnyNumber&&) noexcept = default;
  QVRTallixAnyNumber& operator=(QVRTallixAnyNumber&&) noexcept = default;
  QVRTallixAnyNumber(const QVRTallixAnyNumber&) = delete;
  QVRTallixAnyNumber& operator=(const QVRTallixAnyNumber&) = delete;

  // Whether this is the number being typed.
  bool canEdit() const { return editableNumber() != nullptr; }
  // The editable number, to edit in place; none for a plain number.
  QVRTallixEditableNumber* editableNumber();
  const QVRTallixEditableNumber* editableNumber() const;

  // The value as a plain number: what arithmetic, functions and formatting work on.
  QVRTallixNumber number() const;
  std::optional<QVRTallixDecimal> decimalNumber() const { return number().decimalNumber(); }
  // The plain number's formatted text, or the editable number's text as typed.
  std::string editString() const;
  std::string formattedString() const { return number().formattedString(); }
  std::string description() const;

  // The one-way equality of the table above.
  bool isEqual(const QVRTallixAnyNumber& other) const;
  // A plain number copies to a plain number of its value (no value: zero); an editable number
  // to an independent editable number with the same text.
  QVRTallixAnyNumber copy() const;

  // Keyed archives: the record of the held number's own class. Held by value, and written once by
  // its holder.
  static constexpr bool archivedAsValue = true;
  std::string_view archiveClassName() const;
  std::vector<std::string_view> archiveSuperclassNames() const;
  // A constant's record (built-in or custom) reads as the plain number of its value, as a
  // component keeps a constant.
  static std::array<std::string_view, 5> decodableClassNames() {
    return {QVRTallixNumber::archiveClassName(), QVRTallixEditableNumber::archiveClassName(),
            "QVRTallixConstantNumber", "QVRTallixGlobalConstantNumber",
            "QVRTallixCustomConstantNumber"};
  }
  void encodeWithCoder(QVRKeyedArchiver& coder) const;
  static std::optional<QVRTallixAnyNumber> initWithCoder(QVRKeyedUnarchiver& coder);

 private:
  std::variant<QVRTallixNumber, std::unique_ptr<QVRTallixEditableNumber>> _number;
};

// For readable test failures: the description.
void PrintTo(const QVRTallixAnyNumber& number, std::ostream* stream);
