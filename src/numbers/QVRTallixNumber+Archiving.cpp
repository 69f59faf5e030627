#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "numbers/QVRTallixNumber.h"

namespace {

constexpr std::string_view decimalNumberKey = "decimalNumber";
constexpr std::string_view notANumberText = "NaN";

}  // namespace

// The value goes out as its exact text, as the earlier archives of this program have it: the
// text keeps every digit and not-a-number, and those archives and these read each other.
void QVRTallixNumber::encodeWithCoder(QVRKeyedArchiver& coder) const {
  if (_decimalNumber) coder.encodeString(decimalNumberKey, _decimalNumber->description());
}

std::optional<QVRTallixNumber> QVRTallixNumber::initWithCoder(QVRKeyedUnarchiver& coder) {
  if (!coder.containsValueForKey(decimalNumberKey)) return QVRTallixNumber();
  const QVRKeyedUnarchiver::Value value = coder.valueForKey(decimalNumberKey);
  const auto plain = value.propertyList();
  if (!plain) return std::nullopt;  // also a scalar whose bytes are broken
  using Kind = QVRKeyedUnarchiver::Value::Kind;
  switch (value.kind()) {
    case Kind::string: {
      const std::string& text = *plain->string();
      if (text == notANumberText) return nan();
      const auto decimal = QVRTallixDecimal::fromString(text, ".", true);
      if (!decimal) return std::nullopt;
      return QVRTallixNumber(*decimal);
    }
    case Kind::integer:
      return QVRTallixNumber(QVRTallixDecimal(*plain->integer()));
    case Kind::real:
      return QVRTallixNumber(QVRTallixDecimal::fromDouble(*plain->real()));
    default:
      // A flag, data or a date: no decimal.
      return std::nullopt;
  }
}
