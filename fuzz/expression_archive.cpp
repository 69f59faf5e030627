// Any bytes as an archived expression: it decodes to an expression or is refused with a reason,
// never a crash. A decoded expression evaluates, prints, takes a few keys (lists that typing
// cannot make stay harmless) and archives again to the same expression.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzPropertyLists.h"
#include "common/QVREnvironment.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRMemoryLogSink.h"
#include "expression/QVRTallixExpression.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<QVREnvironment> environment = QVREnvironment::makeForTesting();
  static const std::vector<std::string> classes = QVRTallixExpression::archiveClassNames();
  const QVREnvironment::Installation installation(*environment);
  environment->memoryLogSink()->clear();

  auto decoded =
      QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixExpression>({data, size}, classes);
  FuzzPropertyLists::checkOutcome(decoded);
  if (!decoded.value) return 0;
  QVRTallixExpression& expression = *decoded.value;
  require(expression.result().decimalNumber().has_value());
  const std::string line = expression.description();

  const auto archived = QVRKeyedArchiver::archivedDataWithRootObject(expression);
  require(archived.value.has_value());
  const auto again =
      QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixExpression>(*archived.value, classes);
  require(again.value && again.value->isEqual(expression) &&
          again.value->components().size() == expression.components().size() &&
          again.value->description() == line);

  // Keys from the first bytes on the decoded list.
  for (std::size_t index = 0; index < size && index < 4; ++index) {
    expression.handleKey(static_cast<QVRTallixKeyType>(data[index] % 64));
    require(expression.result().decimalNumber() ==
            expression.resultForExpression(expression.components()).decimalNumber());
  }
  require(!expression.stringDescription().empty());
  return 0;
}
