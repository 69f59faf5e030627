#include "numbers/QVRTallixEditableNumber.h"

#include <algorithm>
#include <ostream>

#include "common/QVREnvironment.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRPasteboard.h"
#include "numbers/QVRTallixLocaleSymbols.h"

namespace {

constexpr std::string_view stringKey = "string";

}  // namespace

QVRTallixEditableNumber::QVRTallixEditableNumber(const std::optional<QVRTallixDecimal>& number)
    : _string(number.value_or(QVRTallixDecimal::zero()).description()) {
  // The plain text has "." for its point in every locale.
  std::replace(_string.begin(), _string.end(), '.', separator);
}

bool QVRTallixEditableNumber::isBlank() const {
  return _string.empty() || _string == "-" || _string == "0|" || _string == "-0|";
}

long QVRTallixEditableNumber::numberOfDigits() const {
  return static_cast<long>(_string.size()) - (hasSeparator() ? 1 : 0) - (isNegative() ? 1 : 0);
}

bool QVRTallixEditableNumber::canAddSeparator() const {
  return !hasSeparator() && numberOfDigits() < maximumDigits;
}

bool QVRTallixEditableNumber::canDeleteDigit() const {
  if (_string.size() < 2) return false;
  if (!isNegative()) return true;
  return _string.size() != 2;
}

void QVRTallixEditableNumber::addSeparator() {
  if (!canAddSeparator()) return;
  if (isBlank()) {
    _string = isNegative() ? "-0|" : "0|";
  } else {
    _string.push_back(separator);
  }
  postChange();
}

void QVRTallixEditableNumber::addDigit(std::uint64_t digit) {
  if (digit > 9) return;
  bool changed = false;
  if (_string == "0" || _string == "-0") {
    _string.pop_back();
    changed = true;
  }
  if (numberOfDigits() < maximumDigits) {
    _string.push_back(static_cast<char>('0' + digit));
    postChange();
  } else if (changed) {
    postChange();
  }
}

void QVRTallixEditableNumber::deleteDigit() {
  if (!canDeleteDigit()) return;
  _string.pop_back();
  if (_string == "0") {
    _string.clear();
  } else if (_string == "-0") {
    _string = "-";
  }
  postChange();
}

void QVRTallixEditableNumber::clear() {
  _string.clear();
  postChange();
}

void QVRTallixEditableNumber::addNegation() {
  if (isNegative()) {
    _string.erase(0, 1);
  } else {
    _string.insert(0, 1, '-');
  }
  postChange();
}

void QVRTallixEditableNumber::postChange() {
  QVREnvironment::current().notificationCenter().post(QVRTallixEditableNumberDidChange, this);
}

std::string QVRTallixEditableNumber::_separator() {
  return QVRTallixLocaleSymbols::symbolsForLocale(QVREnvironment::current().localeIdentifier())
      ->decimalSeparator;
}

std::string QVRTallixEditableNumber::editString() const {
  if (isBlank()) {
    std::string text = isNegative() ? "-0" : "0";
    if (hasSeparator()) text += _separator();
    return text;
  }
  const std::size_t position = _string.find(separator);
  if (position == std::string::npos) return _string;
  std::string text;
  const std::string localeSeparator = _separator();
  text.reserve(_string.size() + localeSeparator.size());
  // The internal form has one separator; texts made otherwise get each one replaced.
  for (const char c : _string) {
    if (c == separator) {
      text += localeSeparator;
    } else {
      text += c;
    }
  }
  return text;
}

QVRTallixDecimal QVRTallixEditableNumber::decimalNumber() const {
  if (isBlank()) return QVRTallixDecimal::zero();
  return QVRTallixDecimal::fromString(_string, "|", true).value_or(QVRTallixDecimal::nan());
}

std::unique_ptr<QVRTallixEditableNumber> QVRTallixEditableNumber::copy() const {
  return std::make_unique<QVRTallixEditableNumber>(_string);
}

std::string QVRTallixEditableNumber::description() const {
  return "QVRTallixEditableNumber(" + _string + ")";
}

std::unique_ptr<QVRTallixEditableNumber> QVRTallixEditableNumber::tallixNumberFromPasteboard() {
  const std::optional<QVRTallixNumber> pasted = QVRTallixNumber::tallixNumberFromPasteboard();
  if (!pasted) return nullptr;
  return std::make_unique<QVRTallixEditableNumber>(pasted->decimalNumber());
}

void QVRTallixEditableNumber::writeToPasteboard() const {
  QVRPasteboard& pasteboard = QVREnvironment::current().pasteboard();
  pasteboard.declareTypes({std::string(QVRPasteboardTypeString)});
  pasteboard.setString(editString(), QVRPasteboardTypeString);
}

void QVRTallixEditableNumber::encodeWithCoder(QVRKeyedArchiver& coder) const {
  coder.encodeString(stringKey, _string);
}

std::unique_ptr<QVRTallixEditableNumber> QVRTallixEditableNumber::initWithCoder(
    QVRKeyedUnarchiver& coder) {
  if (!coder.containsValueForKey(stringKey)) return std::make_unique<QVRTallixEditableNumber>();
  std::optional<std::string> text = coder.decodeStringForKey(stringKey);
  if (!text || !isInternalForm(*text)) return nullptr;
  return std::make_unique<QVRTallixEditableNumber>(std::move(*text));
}

bool QVRTallixEditableNumber::isInternalForm(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  long digits = 0;
  long separators = 0;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == separator) {
      ++separators;
    } else {
      return false;
    }
  }
  return digits <= maximumDigits && separators <= 1;
}

void PrintTo(const QVRTallixEditableNumber& number, std::ostream* stream) {
  *stream << number.description();
}
