#pragma once

#include <algorithm>
#include <array>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "numbers/QVRComparisonResult.h"
#include "numbers/QVRTallixNumber.h"

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;

// A number with a title that the user can insert into an expression: the base of the built-in
// and the custom constants, ordered by title in the user's locale.
//
// Identity object: the shared lists hand out the constants themselves, which the user hides,
// shows or edits in place, so they are neither copied nor moved; copy() gives the plain number.
class QVRTallixConstantNumber {
 public:
  QVRTallixConstantNumber(QVRTallixNumber number, std::string title)
      : _number(std::move(number)), _title(std::move(title)) {}
  virtual ~QVRTallixConstantNumber() = default;
  QVRTallixConstantNumber(const QVRTallixConstantNumber&) = delete;
  QVRTallixConstantNumber& operator=(const QVRTallixConstantNumber&) = delete;

  // Every constant the user can choose from, sorted by title: the built-in ones, then the
  // custom ones.
  static std::vector<std::shared_ptr<QVRTallixConstantNumber>> constants();
  // The same with only the shown built-in constants (custom constants are always visible).
  static std::vector<std::shared_ptr<QVRTallixConstantNumber>> visibleConstants();

  const QVRTallixNumber& tallixNumber() const { return _number; }
  const std::optional<QVRTallixDecimal>& decimalNumber() const { return _number.decimalNumber(); }
  const std::string& title() const { return _title; }
  void setTitle(std::string title) { _title = std::move(title); }

  // The titles compared in the user's locale.
  QVRComparisonResult compare(const QVRTallixConstantNumber& other) const;
  // A plain number of the same value, without title.
  QVRTallixNumber copy() const { return _number.copy(); }
  virtual std::string description() const;

  // Keyed archives: the number's record, then "title".
  virtual std::string_view archiveClassName() const { return "QVRTallixConstantNumber"; }
  virtual std::vector<std::string_view> archiveSuperclassNames() const {
    return {QVRTallixNumber::archiveClassName()};
  }
  static std::array<std::string_view, 3> decodableClassNames() {
    return {"QVRTallixConstantNumber", "QVRTallixGlobalConstantNumber",
            "QVRTallixCustomConstantNumber"};
  }
  virtual void encodeWithCoder(QVRKeyedArchiver& coder) const;
  // A constant of the archived class (a built-in one decodes without name, shown; a custom one
  // with its identifier); none when the number's record cannot be read, or a custom constant's
  // identifier.
  static std::unique_ptr<QVRTallixConstantNumber> initWithCoder(QVRKeyedUnarchiver& coder);

  // Sorts constants by title (stable, so equal titles keep their order).
  template <class Constant>
  static void sortByTitle(std::vector<std::shared_ptr<Constant>>& constants);

 private:
  QVRTallixNumber _number;
  std::string _title;
};

template <class Constant>
void QVRTallixConstantNumber::sortByTitle(std::vector<std::shared_ptr<Constant>>& constants) {
  std::stable_sort(constants.begin(), constants.end(), [](const auto& left, const auto& right) {
    return left->compare(*right) == QVRComparisonResult::orderedAscending;
  });
}

// For readable test failures: the description.
void PrintTo(const QVRTallixConstantNumber& constant, std::ostream* stream);
