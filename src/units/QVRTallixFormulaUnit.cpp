#include "units/QVRTallixFormulaUnit.h"

#include <fmt/format.h>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "units/QVRTallixCatalogueValue.h"

namespace {

std::optional<QVRTallixFormula> compiled(const std::optional<std::string>& formula) {
  if (!formula) return std::nullopt;
  return QVRTallixFormula(*formula);
}

std::string_view orNull(const std::optional<std::string>& text) {
  return text ? std::string_view(*text) : std::string_view("(null)");
}

bool holdsTextOrNothing(QVRKeyedUnarchiver& coder, std::string_view key) {
  return !coder.containsValueForKey(key) || coder.decodeStringForKey(key).has_value();
}

}  // namespace

QVRTallixFormulaUnit::QVRTallixFormulaUnit(Fields fields, QVRTallixUnitCategory* category,
                                           std::optional<std::string> fromFormula,
                                           std::optional<std::string> toFormula)
    : QVRTallixUnit(std::move(fields), category),
      _fromFormula(std::move(fromFormula)),
      _toFormula(std::move(toFormula)),
      _compiledFromFormula(compiled(_fromFormula)),
      _compiledToFormula(compiled(_toFormula)) {}

std::unique_ptr<QVRTallixFormulaUnit> QVRTallixFormulaUnit::initWithDictionary(
    const Dictionary& dictionary, QVRTallixUnitCategory& category) {
  std::unique_ptr<QVRTallixFormulaUnit> unit(
      new QVRTallixFormulaUnit(fieldsFromDictionary(dictionary, category), &category,
                               QVRTallixCatalogueValue::string(dictionary, "from"),
                               QVRTallixCatalogueValue::string(dictionary, "to")));
  unit->_updateHidden();
  return unit;
}

std::optional<QVRTallixDecimal> QVRTallixFormulaUnit::_solveFormula(
    const std::optional<std::string>& formula, const QVRTallixDecimal& number, bool inverse) const {
  if (!formula) return std::nullopt;
  if (formula == _toFormula && _compiledToFormula) {
    return _compiledToFormula->evaluate(number, inverse);
  }
  if (formula == _fromFormula && _compiledFromFormula) {
    return _compiledFromFormula->evaluate(number, inverse);
  }
  return QVRTallixFormula(*formula).evaluate(number, inverse);
}

QVRTallixNumber QVRTallixFormulaUnit::convertToBaseUnit(const QVRTallixNumber& number) const {
  if (!_compiledToFormula) return QVRTallixNumber(QVRTallixDecimal::zero());
  return QVRTallixNumber(_compiledToFormula->evaluate(
      number.decimalNumber().value_or(QVRTallixDecimal::zero()), false));
}

QVRTallixNumber QVRTallixFormulaUnit::convertFromBaseUnit(const QVRTallixNumber& number) const {
  const QVRTallixDecimal value = number.decimalNumber().value_or(QVRTallixDecimal::zero());
  if (_compiledFromFormula) return QVRTallixNumber(_compiledFromFormula->evaluate(value, false));
  if (!_compiledToFormula) return QVRTallixNumber(QVRTallixDecimal::zero());
  return QVRTallixNumber(_compiledToFormula->evaluate(value, true));
}

std::string QVRTallixFormulaUnit::description() const {
  return fmt::format("{} from={} to={}", orNull(name()), orNull(_fromFormula), orNull(_toFormula));
}

void QVRTallixFormulaUnit::encodeWithCoder(QVRKeyedArchiver& coder) const {
  QVRTallixUnit::encodeWithCoder(coder);
  if (_toFormula) coder.encodeString("toFormula", *_toFormula);
  if (_fromFormula) coder.encodeString("fromFormula", *_fromFormula);
}

std::unique_ptr<QVRTallixFormulaUnit> QVRTallixFormulaUnit::initWithCoder(
    QVRKeyedUnarchiver& coder) {
  if (!holdsTextOrNothing(coder, "toFormula") || !holdsTextOrNothing(coder, "fromFormula")) {
    return nullptr;
  }
  auto fields = fieldsFromCoder(coder);
  if (!fields) return nullptr;
  std::unique_ptr<QVRTallixFormulaUnit> unit(
      new QVRTallixFormulaUnit(std::move(*fields), nullptr, coder.decodeStringForKey("fromFormula"),
                               coder.decodeStringForKey("toFormula")));
  if (!finishDecoding(*unit, coder)) return nullptr;
  return unit;
}
