#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "cloud/QVRCKContents.h"
#include "common/QVRKeyedUnarchiver.h"
#include "constants/QVRTallixCustomConstantNumber.h"

// The contents of the custom-constants document: a dictionary with the user's constants, in the
// user's order, under "constants". Equal contents hold equal constants (by identifier) in the
// same order, so a renamed constant alone is no change of contents.
class QVRTallixConstantNumbersContents final : public QVRCKContents {
 public:
  static constexpr std::string_view constantsKey = "constants";

  explicit QVRTallixConstantNumbersContents(QVRTallixCustomConstantNumber::List constants)
      : _constants(std::move(constants)) {}

  const QVRTallixCustomConstantNumber::List& constants() const { return _constants; }

  // The contents archived as `value`: none for anything but a dictionary; a dictionary without a
  // list under "constants" holds none. Elements that are no readable custom constant are
  // skipped (with one log line), so a damaged entry costs that entry, not the list.
  static std::shared_ptr<const QVRTallixConstantNumbersContents> decode(
      const QVRKeyedUnarchiver::Value& value);

  // Element by element with the constants' equality.
  static bool equalLists(const QVRTallixCustomConstantNumber::List& left,
                         const QVRTallixCustomConstantNumber::List& right);

  void encodeWithCoder(QVRKeyedArchiver& coder, std::string_view key) const override;
  bool isEqual(const QVRCKContents& other) const override;
  // "{constants = (title:uuid value, …)}".
  std::string description() const override;

 private:
  QVRTallixCustomConstantNumber::List _constants;
};
