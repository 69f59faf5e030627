#include "constants/QVRTallixGlobalConstantNumber.h"

#include "common/QVRBundle.h"
#include "common/QVREnvironment.h"
#include "common/QVRLogger.h"
#include "common/QVRUserDefaults.h"
#include "constants/QVRTallixGlobalConstantList.h"

namespace {

constexpr std::string_view nameKey = "name";
constexpr std::string_view valueKey = "value";
constexpr std::string_view hiddenKey = "hidden";
constexpr std::string_view constantsTable = "Constants";

// The class of a property-list value as the platform names it, for the log.
std::string className(const QVRPropertyList& value) {
  switch (value.type()) {
    case QVRPropertyList::Type::boolean:
    case QVRPropertyList::Type::integer:
    case QVRPropertyList::Type::real:
      return "NSNumber";
    case QVRPropertyList::Type::string:
      return "NSString";
    case QVRPropertyList::Type::data:
      return "NSData";
    case QVRPropertyList::Type::date:
      return "NSDate";
    case QVRPropertyList::Type::array:
      return "NSArray";
    case QVRPropertyList::Type::dictionary:
      return "NSDictionary";
    case QVRPropertyList::Type::uid:
      return "NSObject";
  }
  return "NSObject";
}

}  // namespace

std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>>
QVRTallixGlobalConstantNumber::constants() {
  return QVRTallixGlobalConstantList::shared().constants();
}

std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>>
QVRTallixGlobalConstantNumber::visibleConstants() {
  std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>> visible;
  for (const auto& constant : QVRTallixGlobalConstantList::shared().constants()) {
    if (!constant->isHidden()) visible.push_back(constant);
  }
  return visible;
}

std::shared_ptr<QVRTallixGlobalConstantNumber> QVRTallixGlobalConstantNumber::constantNamed(
    std::string_view name) {
  for (const auto& constant : QVRTallixGlobalConstantList::shared().constants()) {
    if (constant->name() == name) return constant;
  }
  return nullptr;
}

std::string QVRTallixGlobalConstantNumber::hiddenDefaultsKey(std::string_view name) {
  return "global." + std::string(name) + ".hidden";
}

std::unique_ptr<QVRTallixGlobalConstantNumber> QVRTallixGlobalConstantNumber::initWithDictionary(
    const QVRPropertyList::Dictionary& dictionary) {
  const auto entry = [&](std::string_view key) -> const QVRPropertyList* {
    const auto found = dictionary.find(key);
    return found == dictionary.end() ? nullptr : &found->second;
  };
  const QVRPropertyList* nameValue = entry(nameKey);
  std::string name = nameValue && nameValue->string() ? *nameValue->string() : std::string();

  // A flag is no value (booleans are a kind of their own in property lists).
  const QVRPropertyList* value = entry(valueKey);
  std::optional<QVRTallixDecimal> decimal;
  if (value && value->string()) {
    decimal = QVRTallixDecimal::fromString(*value->string(), ".").value_or(QVRTallixDecimal::nan());
  } else if (value && value->isNumber()) {
    decimal = QVRTallixDecimal::fromDouble(*value->doubleValue());
  } else {
    QVRLogger::logFormat("Unhandled value class " + (value ? className(*value) : "(null)") + ":" +
                         (value ? value->description() : "(null)"));
    return nullptr;
  }

  bool hidden = false;
  if (const auto stored =
          QVREnvironment::current().userDefaults().objectForKey(hiddenDefaultsKey(name))) {
    hidden = stored->boolValue().value_or(false);
  } else if (const QVRPropertyList* flag = entry(hiddenKey)) {
    hidden = flag->boolValue().value_or(false);
  }
  std::string title = QVRBundle::mainBundle().localizedString(name, constantsTable);
  return std::make_unique<QVRTallixGlobalConstantNumber>(std::move(name), QVRTallixNumber(decimal),
                                                         std::move(title), hidden);
}

void QVRTallixGlobalConstantNumber::setHidden(bool hidden) {
  if (hidden == _hidden) return;
  _hidden = hidden;
  QVREnvironment::current().userDefaults().setBool(hiddenDefaultsKey(_name), hidden);
}

std::string QVRTallixGlobalConstantNumber::description() const {
  return _name + ":" + (_hidden ? "1" : "0") + " " +
         (decimalNumber() ? decimalNumber()->description() : "(null)");
}
