// Any bytes as an archive of a number, plain or being typed: it decodes to a number or is refused
// with a reason, never a crash. A number it decodes archives again and decodes to the same one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzPropertyLists.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "numbers/QVRTallixAnyNumber.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> allowed = QVRCoding::classNamesOf<QVRTallixAnyNumber>();
  const auto decoded =
      QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixAnyNumber>({data, size}, allowed);
  FuzzPropertyLists::checkOutcome(decoded);
  // Each class on its own gives the same number or refuses it.
  const auto plain = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixNumber>(
      {data, size}, QVRCoding::classNamesOf<QVRTallixNumber>());
  FuzzPropertyLists::checkOutcome(plain);
  if (plain.value)
    require(decoded.value && decoded.value->description() == plain.value->description());
  if (!decoded.value) return 0;
  if (const QVRTallixEditableNumber* editable = decoded.value->editableNumber()) {
    require(QVRTallixEditableNumber::isInternalForm(editable->string()));
  }
  const auto archived = QVRKeyedArchiver::archivedDataWithRootObject(*decoded.value);
  require(archived.value.has_value());
  const auto again =
      QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixAnyNumber>(*archived.value, allowed);
  require(again.value && again.value->description() == decoded.value->description() &&
          again.value->decimalNumber() == decoded.value->decimalNumber() &&
          again.value->canEdit() == decoded.value->canEdit());
  return 0;
}
