#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRPropertyList.h"
#include "constants/QVRTallixConstantNumber.h"

// Posted with no object when a configuration change changed the built-in constants' values.
inline constexpr std::string_view QVRTallixGlobalConstantsDidChangeNotification =
    "QVRTallixGlobalConstantsDidChangeNotification";

// A built-in constant from the configuration's "constants" list, which the user can hide.
class QVRTallixGlobalConstantNumber : public QVRTallixConstantNumber {
 public:
  QVRTallixGlobalConstantNumber(std::string name, QVRTallixNumber number, std::string title,
                                bool hidden)
      : QVRTallixConstantNumber(std::move(number), std::move(title)),
        _name(std::move(name)),
        _hidden(hidden) {}

  // The built-in constants, sorted by title: made from the configuration on first use and made
  // again whenever it changes (the constants handed out before stay valid).
  static std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>> constants();
  // Those of them that are not hidden, in the same order.
  static std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>> visibleConstants();
  // The first built-in constant whose name is exactly `name`; none when there is none.
  static std::shared_ptr<QVRTallixGlobalConstantNumber> constantNamed(std::string_view name);

  // A constant from one configuration entry: "name" (also the key of the title in the strings
  // table "Constants"), "value" (a text read with "." as the separator, or a number through its
  // double value) and "hidden", over which the user's stored choice wins. None, and a log line,
  // when the value is neither text nor number.
  static std::unique_ptr<QVRTallixGlobalConstantNumber> initWithDictionary(
      const QVRPropertyList::Dictionary& dictionary);

  // The user-defaults key of the user's choice: "global.<name>.hidden".
  static std::string hiddenDefaultsKey(std::string_view name);

  const std::string& name() const { return _name; }
  bool isHidden() const { return _hidden; }
  // A change is stored in the user defaults; nothing is posted.
  void setHidden(bool hidden);

  // "Pi:0 3.14": the name, the hidden flag as 0 or 1, and the value.
  std::string description() const override;
  // Archived as a constant number.
  std::string_view archiveClassName() const override { return "QVRTallixGlobalConstantNumber"; }
  std::vector<std::string_view> archiveSuperclassNames() const override {
    return {"QVRTallixConstantNumber", QVRTallixNumber::archiveClassName()};
  }

 private:
  std::string _name;
  bool _hidden;
};
