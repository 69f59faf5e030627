#include "units/QVRTallixCurrencyUnitCategory.h"

std::unique_ptr<QVRTallixCurrencyUnitCategory> QVRTallixCurrencyUnitCategory::initWithDictionary(
    const Dictionary& dictionary, std::optional<Dictionary> stringsDictionary) {
  return make<QVRTallixCurrencyUnitCategory>(dictionary, std::move(stringsDictionary));
}

std::unique_ptr<QVRTallixCurrencyUnitCategory> QVRTallixCurrencyUnitCategory::initWithCoder(
    QVRKeyedUnarchiver& coder) {
  return decode<QVRTallixCurrencyUnitCategory>(coder);
}

const std::vector<QVRTallixUnitCategory*>& QVRTallixCurrencyUnitCategory::allCategories() {
  return catalogue("QVRTallixCurrencyUnitCategory");
}
