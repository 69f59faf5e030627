#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "units/QVRTallixUnitCategory.h"

// The category of the currencies, named in the catalogue by "class"
// "QVRTallixCurrencyUnitCategory". It adds no fields to QVRTallixUnitCategory. So far only the
// class itself exists, so that the catalogue builds it; the rates, their download and their cache
// come with the currency units.
class QVRTallixCurrencyUnitCategory : public QVRTallixUnitCategory {
 public:
  static std::unique_ptr<QVRTallixCurrencyUnitCategory> initWithDictionary(
      const Dictionary& dictionary, std::optional<Dictionary> stringsDictionary);
  static std::unique_ptr<QVRTallixCurrencyUnitCategory> initWithCoder(QVRKeyedUnarchiver& coder);
  static std::vector<std::string_view> decodableClassNames() {
    return {"QVRTallixCurrencyUnitCategory"};
  }

  // The catalogue as built through this class: entries that name no category class are made of
  // this class (when this is the first call that builds the catalogue).
  static const std::vector<QVRTallixUnitCategory*>& allCategories();

  std::string_view archiveClassName() const override { return "QVRTallixCurrencyUnitCategory"; }
  std::vector<std::string_view> archiveSuperclassNames() const override {
    return {"QVRTallixUnitCategory"};
  }

 private:
  friend class QVRTallixUnitCategory;
  using QVRTallixUnitCategory::QVRTallixUnitCategory;
};
