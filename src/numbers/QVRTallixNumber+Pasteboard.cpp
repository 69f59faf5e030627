#include "common/QVREnvironment.h"
#include "common/QVRException.h"
#include "common/QVRLogger.h"
#include "common/QVRPasteboard.h"
#include "numbers/QVRPastedNumberText.h"
#include "numbers/QVRTallixNumber.h"
#include "numbers/QVRTallixNumberFormatter.h"

std::optional<QVRTallixNumber> QVRTallixNumber::tallixNumberFromPasteboard() {
  QVREnvironment& environment = QVREnvironment::current();
  const std::optional<std::string> text =
      environment.pasteboard().stringForType(QVRPasteboardTypeString);
  if (!text) return std::nullopt;
  QVRTallixNumberFormatter parser(environment.localeIdentifier());
  parser.setNumberStyle(QVRTallixNumberFormatter::Style::decimal);
  parser.setLenient(true);
  parser.setMaximumFractionDigits(100);
  parser.setMaximumSignificantDigits(100);
  const auto trimmed = QVRPastedNumberText::trimmedText(*text, parser.parsedDecimalSeparators());
  if (!trimmed) return std::nullopt;
  try {
    const std::optional<QVRTallixDecimal> value = parser.numberFromString(*trimmed);
    if (!value) return std::nullopt;
    return QVRTallixNumber(*value);
  } catch (const QVRException& exception) {
    QVRLogger::logException(exception, "Creating number from pasteboard");
    return std::nullopt;
  }
}

void QVRTallixNumber::writeToPasteboard() const {
  QVRPasteboard& pasteboard = QVREnvironment::current().pasteboard();
  pasteboard.declareTypes({std::string(QVRPasteboardTypeString)});
  pasteboard.setString(editString(), QVRPasteboardTypeString);
}
