#include "constants/QVRTallixConstantNumber.h"

#include <ostream>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "constants/QVRTallixCustomConstantNumber.h"
#include "constants/QVRTallixGlobalConstantNumber.h"
#include "constants/QVRTallixTitleCollator.h"

namespace {

constexpr std::string_view titleKey = "title";

std::vector<std::shared_ptr<QVRTallixConstantNumber>> merged(
    const std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>>& builtIn) {
  std::vector<std::shared_ptr<QVRTallixConstantNumber>> all(builtIn.begin(), builtIn.end());
  for (auto& custom : QVRTallixCustomConstantNumber::constants()) all.push_back(std::move(custom));
  QVRTallixConstantNumber::sortByTitle(all);
  return all;
}

}  // namespace

std::vector<std::shared_ptr<QVRTallixConstantNumber>> QVRTallixConstantNumber::constants() {
  return merged(QVRTallixGlobalConstantNumber::constants());
}

std::vector<std::shared_ptr<QVRTallixConstantNumber>> QVRTallixConstantNumber::visibleConstants() {
  return merged(QVRTallixGlobalConstantNumber::visibleConstants());
}

QVRComparisonResult QVRTallixConstantNumber::compare(const QVRTallixConstantNumber& other) const {
  return QVRTallixTitleCollator::shared().compare(_title, other._title);
}

std::string QVRTallixConstantNumber::description() const {
  return _title + " " + (decimalNumber() ? decimalNumber()->description() : "(null)");
}

void QVRTallixConstantNumber::encodeWithCoder(QVRKeyedArchiver& coder) const {
  _number.encodeWithCoder(coder);
  coder.encodeString(titleKey, _title);
}

std::unique_ptr<QVRTallixConstantNumber> QVRTallixConstantNumber::initWithCoder(
    QVRKeyedUnarchiver& coder) {
  if (coder.className() == QVRTallixCustomConstantNumber::decodableClassNames()[0]) {
    return QVRTallixCustomConstantNumber::initWithCoder(coder);
  }
  std::optional<QVRTallixNumber> number = QVRTallixNumber::initWithCoder(coder);
  if (!number) return nullptr;
  std::string title = coder.decodeStringForKey(titleKey).value_or("");
  if (coder.className() == "QVRTallixGlobalConstantNumber") {
    return std::make_unique<QVRTallixGlobalConstantNumber>("", std::move(*number), std::move(title),
                                                           false);
  }
  return std::make_unique<QVRTallixConstantNumber>(std::move(*number), std::move(title));
}

void PrintTo(const QVRTallixConstantNumber& constant, std::ostream* stream) {
  *stream << constant.description();
}
