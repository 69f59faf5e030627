#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "constants/QVRTallixConstantNumber.h"

// A constant of the user's own: a title, a number and an identifier drawn when it is made and
// kept through archiving and synchronisation. Two custom constants are equal exactly when their
// identifiers are, whatever their titles and values.
//
// The class operations edit the user's list, kept in the custom-constants document of the
// current environment (saved locally and synchronised).
class QVRTallixCustomConstantNumber : public QVRTallixConstantNumber {
 public:
  using List = std::vector<std::shared_ptr<QVRTallixCustomConstantNumber>>;

  // A new constant with a fresh identifier.
  QVRTallixCustomConstantNumber(std::string title, QVRTallixNumber number);
  // A constant that already has its identifier (read from an archive).
  QVRTallixCustomConstantNumber(std::string title, QVRTallixNumber number, std::string uuid)
      : QVRTallixConstantNumber(std::move(number), std::move(title)), _uuid(std::move(uuid)) {}

  const std::string& uuid() const { return _uuid; }
  // True when `other` is a custom constant with the same identifier.
  bool isEqual(const QVRTallixConstantNumber& other) const;
  // "title:uuid value".
  std::string description() const override;

  // Keyed archives: the constant number's keys, then "uuid".
  std::string_view archiveClassName() const override { return "QVRTallixCustomConstantNumber"; }
  std::vector<std::string_view> archiveSuperclassNames() const override {
    return {"QVRTallixConstantNumber", QVRTallixNumber::archiveClassName()};
  }
  static std::array<std::string_view, 1> decodableClassNames() {
    return {"QVRTallixCustomConstantNumber"};
  }
  void encodeWithCoder(QVRKeyedArchiver& coder) const override;
  // None when the number cannot be read, the title is no clean text (UTF-8 without NUL), or the
  // identifier is missing, empty or no clean text (a constant without its identifier could not
  // be told apart from the others).
  static std::unique_ptr<QVRTallixCustomConstantNumber> initWithCoder(QVRKeyedUnarchiver& coder);

  // The user's list, through the shared document. The limits of the list operations are the
  // caller's; here a call outside them changes nothing.
  static List constants();
  static std::uint64_t constantCount();
  // None when the index is not below the count.
  static std::shared_ptr<QVRTallixCustomConstantNumber> constantAtIndex(std::uint64_t index);
  static void addConstant(std::shared_ptr<QVRTallixCustomConstantNumber> constant);
  static void insertConstant(std::shared_ptr<QVRTallixCustomConstantNumber> constant,
                             std::uint64_t atIndex);
  static void removeLastConstant();
  static void removeConstantAtIndex(std::uint64_t index);
  static void replaceConstantAtIndex(std::uint64_t index,
                                     std::shared_ptr<QVRTallixCustomConstantNumber> withConstant);
  // Removes the listed constant that is `constant` itself or, failing that, equal to it.
  static void removeConstant(const QVRTallixCustomConstantNumber& constant);
  static void removeAllConstants();

 private:
  std::string _uuid;
};
