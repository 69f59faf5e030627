#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "units/QVRTallixFormula.h"
#include "units/QVRTallixUnit.h"

// A unit whose conversions to and from its category's base unit are small postfix formulas from
// the catalogue (QVRTallixFormula): "to" from this unit to the base unit, "from" the other way
// ("to" inverted when there is no "from"). A unit without a "to" formula converts everything to
// zero.
class QVRTallixFormulaUnit : public QVRTallixUnit {
 public:
  // The unit of QVRTallixUnit::initWithDictionary, then the formulas "from" and "to" (a value
  // that is no text counts as absent).
  static std::unique_ptr<QVRTallixFormulaUnit> initWithDictionary(const Dictionary& dictionary,
                                                                  QVRTallixUnitCategory& category);
  // The archive of QVRTallixUnit with "toFormula" and "fromFormula"; none when a formula is no
  // text.
  static std::unique_ptr<QVRTallixFormulaUnit> initWithCoder(QVRKeyedUnarchiver& coder);
  static std::vector<std::string_view> decodableClassNames() { return {"QVRTallixFormulaUnit"}; }

  const std::optional<std::string>& fromFormula() const { return _fromFormula; }
  const std::optional<std::string>& toFormula() const { return _toFormula; }

  // The result of `formula` for the value `number`, or none when the stack ends empty (or there
  // is no formula). Raises QVRException when an operator lacks values, and on a decimal overflow
  // or underflow; a division by zero gives zero.
  std::optional<QVRTallixDecimal> _solveFormula(const std::optional<std::string>& formula,
                                                const QVRTallixDecimal& number, bool inverse) const;

  // A number of the "to" formula's result (zero without a result).
  QVRTallixNumber convertToBaseUnit(const QVRTallixNumber& number) const override;
  // A number of the "from" formula's result, or of the "to" formula inverted when there is no
  // "from" formula.
  QVRTallixNumber convertFromBaseUnit(const QVRTallixNumber& number) const override;
  // "%@ from=%@ to=%@" filled with the name and the two formulas.
  std::string description() const override;

  std::string_view archiveClassName() const override { return "QVRTallixFormulaUnit"; }
  std::vector<std::string_view> archiveSuperclassNames() const override {
    return {"QVRTallixUnit"};
  }
  void encodeWithCoder(QVRKeyedArchiver& coder) const override;

 private:
  QVRTallixFormulaUnit(Fields fields, QVRTallixUnitCategory* category,
                       std::optional<std::string> fromFormula,
                       std::optional<std::string> toFormula);

  std::optional<std::string> _fromFormula;
  std::optional<std::string> _toFormula;
  // The formulas read once.
  std::optional<QVRTallixFormula> _compiledFromFormula;
  std::optional<QVRTallixFormula> _compiledToFormula;
};
