#include "constants/QVRTallixCustomConstantNumber.h"

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRString.h"
#include "constants/QVRTallixConstantNumbersDocument.h"

namespace {

constexpr std::string_view titleKey = "title";
constexpr std::string_view uuidKey = "uuid";

// Text that can be shown, written and typed back: UTF-8 without NUL.
bool isCleanText(std::string_view text) {
  return QVRString::isValidUTF8(text) && text.find('\0') == std::string_view::npos;
}

tallix::detail::QVRTallixConstantNumbersDocument& document() {
  return tallix::detail::QVRTallixConstantNumbersDocument::constantNumbersDocument();
}

}  // namespace

QVRTallixCustomConstantNumber::QVRTallixCustomConstantNumber(std::string title,
                                                             QVRTallixNumber number)
    : QVRTallixCustomConstantNumber(std::move(title), std::move(number), QVRString::uuid()) {}

bool QVRTallixCustomConstantNumber::isEqual(const QVRTallixConstantNumber& other) const {
  const auto* custom = dynamic_cast<const QVRTallixCustomConstantNumber*>(&other);
  return custom && custom->_uuid == _uuid;
}

std::string QVRTallixCustomConstantNumber::description() const {
  return title() + ":" + _uuid + " " +
         (decimalNumber() ? decimalNumber()->description() : "(null)");
}

void QVRTallixCustomConstantNumber::encodeWithCoder(QVRKeyedArchiver& coder) const {
  QVRTallixConstantNumber::encodeWithCoder(coder);
  coder.encodeString(uuidKey, _uuid);
}

std::unique_ptr<QVRTallixCustomConstantNumber> QVRTallixCustomConstantNumber::initWithCoder(
    QVRKeyedUnarchiver& coder) {
  std::optional<std::string> uuid = coder.decodeStringForKey(uuidKey);
  if (!uuid || uuid->empty() || !isCleanText(*uuid)) return nullptr;
  std::string title = coder.decodeStringForKey(titleKey).value_or("");
  if (!isCleanText(title)) return nullptr;
  std::optional<QVRTallixNumber> number = QVRTallixNumber::initWithCoder(coder);
  if (!number) return nullptr;
  return std::make_unique<QVRTallixCustomConstantNumber>(std::move(title), std::move(*number),
                                                         std::move(*uuid));
}

QVRTallixCustomConstantNumber::List QVRTallixCustomConstantNumber::constants() {
  return document().constants();
}

std::uint64_t QVRTallixCustomConstantNumber::constantCount() {
  return document().constantCount();
}

std::shared_ptr<QVRTallixCustomConstantNumber> QVRTallixCustomConstantNumber::constantAtIndex(
    std::uint64_t index) {
  return document().constantAtIndex(index);
}

void QVRTallixCustomConstantNumber::addConstant(
    std::shared_ptr<QVRTallixCustomConstantNumber> constant) {
  document().addConstant(std::move(constant));
}

void QVRTallixCustomConstantNumber::insertConstant(
    std::shared_ptr<QVRTallixCustomConstantNumber> constant, std::uint64_t atIndex) {
  document().insertConstant(std::move(constant), atIndex);
}

void QVRTallixCustomConstantNumber::removeLastConstant() {
  document().removeLastConstant();
}

void QVRTallixCustomConstantNumber::removeConstantAtIndex(std::uint64_t index) {
  document().removeConstantAtIndex(index);
}

void QVRTallixCustomConstantNumber::replaceConstantAtIndex(
    std::uint64_t index, std::shared_ptr<QVRTallixCustomConstantNumber> withConstant) {
  document().replaceConstantAtIndex(index, std::move(withConstant));
}

void QVRTallixCustomConstantNumber::removeConstant(const QVRTallixCustomConstantNumber& constant) {
  document().removeConstant(constant);
}

void QVRTallixCustomConstantNumber::removeAllConstants() {
  document().removeAllConstants();
}
