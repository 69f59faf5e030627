#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "numbers/QVRTallixDecimal.h"
#include "units/QVRTallixUnit.h"

// A currency of the currency category (QVRTallixCurrencyUnitCategory). Its symbol is the
// currency code that keys the exchange rates; it converts to the reference currency of the rates
// by multiplication with its rate and back by division, and formats amounts with its currency
// sign. The rate is looked up anew on every use, since a download may replace it at any time.
class QVRTallixCurrencyUnit : public QVRTallixUnit {
 public:
  // The unit of QVRTallixUnit::initWithDictionary, then "currency_symbol" ("$" when absent).
  static std::unique_ptr<QVRTallixCurrencyUnit> initWithDictionary(const Dictionary& dictionary,
                                                                   QVRTallixUnitCategory& category);
  // The archive of QVRTallixUnit with "currencySymbol"; none when that is no text.
  static std::unique_ptr<QVRTallixCurrencyUnit> initWithCoder(QVRKeyedUnarchiver& coder);
  static std::vector<std::string_view> decodableClassNames() { return {"QVRTallixCurrencyUnit"}; }

  const std::string& currencySymbol() const { return _currencySymbol; }
  // The category's rate for this unit, or none (none too outside a currency category).
  std::optional<QVRTallixDecimal> conversionMultiplier() const;
  // Whether the unit has a rate.
  bool isValid() const override { return conversionMultiplier().has_value(); }

  // The rate times the number; zero without a rate. Raises QVRException on a decimal overflow.
  QVRTallixNumber convertToBaseUnit(const QVRTallixNumber& number) const override;
  // The number divided by the rate; not-a-number without a rate, zero for zero. Raises
  // QVRException for a rate of zero and on a decimal overflow or underflow.
  QVRTallixNumber convertFromBaseUnit(const QVRTallixNumber& number) const override;
  // By title, plain string comparison: currencies are listed alphabetically (their sizes change
  // with every download).
  QVRComparisonResult compare(const QVRTallixUnit& other) const override;
  // The amount in the currency style with the currency sign; the digit count is not used.
  std::string formatedStringForNumber(const QVRTallixNumber& number,
                                      std::uint64_t maximumSignificantDigits) const override;
  using QVRTallixUnit::formatedStringForNumber;

  std::string_view archiveClassName() const override { return "QVRTallixCurrencyUnit"; }

 protected:
  bool isOrderedByTitle() const override { return true; }
  std::vector<std::string_view> archiveSuperclassNames() const override {
    return {"QVRTallixUnit"};
  }
  void encodeWithCoder(QVRKeyedArchiver& coder) const override;

 private:
  QVRTallixCurrencyUnit(Fields fields, QVRTallixUnitCategory* category, std::string currencySymbol);

  std::string _currencySymbol;
};
