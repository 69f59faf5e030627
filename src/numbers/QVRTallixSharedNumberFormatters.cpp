#include "numbers/QVRTallixSharedNumberFormatters.h"

#include "common/QVRBundle.h"
#include "common/QVREnvironment.h"
#include "numbers/QVRTallixNumber.h"

QVRTallixSharedNumberFormatters& QVRTallixSharedNumberFormatters::shared() {
  return QVREnvironment::current().sharedInstance<QVRTallixSharedNumberFormatters>();
}

QVRTallixNumberFormatter& QVRTallixSharedNumberFormatters::numberFormatter() {
  if (!_numberFormatter) {
    QVRTallixNumberFormatter formatter = QVRTallixNumber::simpleDigitNumberFormatter();
    formatter.setUsesSignificantDigits(true);
    formatter.setNotANumberSymbol(QVRBundle::mainBundle().localizedString("Error"));
    if (formatter.exponentSymbol() == "E") formatter.setExponentSymbol("e");
    _numberFormatter.emplace(std::move(formatter));
  }
  return *_numberFormatter;
}

QVRTallixNumberFormatter& QVRTallixSharedNumberFormatters::currencyFormatter() {
  if (!_currencyFormatter) {
    QVRTallixNumberFormatter formatter = QVRTallixNumber::simpleDigitNumberFormatter();
    formatter.setNumberStyle(QVRTallixNumberFormatter::Style::currency);
    formatter.setNotANumberSymbol(QVRBundle::mainBundle().localizedString("Error"));
    formatter.setRoundingMode(QVRTallixRoundingMode::plain);
    _currencyFormatter.emplace(std::move(formatter));
  }
  return *_currencyFormatter;
}
