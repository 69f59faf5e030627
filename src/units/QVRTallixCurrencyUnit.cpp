#include "units/QVRTallixCurrencyUnit.h"

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "numbers/QVRTallixDecimalError.h"
#include "units/QVRTallixCatalogueValue.h"
#include "units/QVRTallixCurrencyUnitCategory.h"
#include "units/QVRTallixStringComparison.h"

namespace {

constexpr std::string_view kDefaultCurrencySymbol = "$";

QVRTallixDecimal checked(const QVRTallixDecimal::Result& result) {
  if (!result.ok()) throw QVRTallixDecimalErrorException(result.error);
  return result.value;
}

}  // namespace

QVRTallixCurrencyUnit::QVRTallixCurrencyUnit(Fields fields, QVRTallixUnitCategory* category,
                                             std::string currencySymbol)
    : QVRTallixUnit(std::move(fields), category), _currencySymbol(std::move(currencySymbol)) {}

std::unique_ptr<QVRTallixCurrencyUnit> QVRTallixCurrencyUnit::initWithDictionary(
    const Dictionary& dictionary, QVRTallixUnitCategory& category) {
  std::unique_ptr<QVRTallixCurrencyUnit> unit(
      new QVRTallixCurrencyUnit(fieldsFromDictionary(dictionary, category), &category,
                                QVRTallixCatalogueValue::string(dictionary, "currency_symbol")
                                    .value_or(std::string(kDefaultCurrencySymbol))));
  unit->_updateHidden();
  return unit;
}

std::optional<QVRTallixDecimal> QVRTallixCurrencyUnit::conversionMultiplier() const {
  const auto* currencies = dynamic_cast<const QVRTallixCurrencyUnitCategory*>(category());
  if (!currencies) return std::nullopt;
  return currencies->conversionMultiplierForUnit(*this);
}

QVRTallixNumber QVRTallixCurrencyUnit::convertToBaseUnit(const QVRTallixNumber& number) const {
  const auto rate = conversionMultiplier();
  if (!rate || !number.decimalNumber()) return QVRTallixNumber(QVRTallixDecimal::zero());
  return QVRTallixNumber(checked(QVRTallixDecimal::multiply(*rate, *number.decimalNumber())));
}

QVRTallixNumber QVRTallixCurrencyUnit::convertFromBaseUnit(const QVRTallixNumber& number) const {
  const auto rate = conversionMultiplier();
  if (!rate) return QVRTallixNumber::nan();
  const QVRTallixDecimal value = number.decimalNumber().value_or(QVRTallixDecimal::zero());
  if (value.isZero()) return QVRTallixNumber(QVRTallixDecimal::zero());
  return QVRTallixNumber(checked(QVRTallixDecimal::divide(value, *rate)));
}

QVRComparisonResult QVRTallixCurrencyUnit::compare(const QVRTallixUnit& other) const {
  if (auto byKind = compareOrderingKinds(*this, other)) return *byKind;
  return QVRTallixStringComparison::compare(title().value_or(""), other.title().value_or(""));
}

std::string QVRTallixCurrencyUnit::formatedStringForNumber(const QVRTallixNumber& number,
                                                           std::uint64_t) const {
  return QVRTallixNumber::currencyFormattedDecimalNumber(number.decimalNumber(), _currencySymbol);
}

void QVRTallixCurrencyUnit::encodeWithCoder(QVRKeyedArchiver& coder) const {
  QVRTallixUnit::encodeWithCoder(coder);
  coder.encodeString("currencySymbol", _currencySymbol);
}

std::unique_ptr<QVRTallixCurrencyUnit> QVRTallixCurrencyUnit::initWithCoder(
    QVRKeyedUnarchiver& coder) {
  std::optional<std::string> symbol{std::string(kDefaultCurrencySymbol)};
  if (coder.containsValueForKey("currencySymbol")) {
    symbol = coder.decodeStringForKey("currencySymbol");
    if (!symbol) return nullptr;
  }
  auto fields = fieldsFromCoder(coder);
  if (!fields) return nullptr;
  std::unique_ptr<QVRTallixCurrencyUnit> unit(
      new QVRTallixCurrencyUnit(std::move(*fields), nullptr, std::move(*symbol)));
  if (!finishDecoding(*unit, coder)) return nullptr;
  return unit;
}
