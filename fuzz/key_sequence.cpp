// Any bytes as a key sequence on one expression: bytes below 213 press the key byte % 71 (every
// key type and some beyond), the others ask for the result, the line, an archive round trip, a
// paste of the shown result, or a copy set back. After each step the list is not empty and the
// cached result is what a fresh evaluation gives; nothing crashes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/QVREnvironment.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRMemoryLogSink.h"
#include "common/QVRPasteboard.h"
#include "expression/QVRTallixExpression.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

void roundTrip(const QVRTallixExpression& expression) {
  static const std::vector<std::string> classes = QVRTallixExpression::archiveClassNames();
  const std::string line = expression.stringDescription();
  const auto archived = QVRKeyedArchiver::archivedDataWithRootObject(expression);
  require(archived.value.has_value());
  const auto decoded =
      QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixExpression>(*archived.value, classes);
  require(decoded.value && decoded.value->isEqual(expression) &&
          decoded.value->stringDescription() == line);
  for (std::size_t index = 0; index < expression.components().size(); ++index) {
    require(decoded.value->components()[index].isEqual(expression.components()[index]));
  }
}

void paste(QVREnvironment& environment, QVRTallixExpression& expression) {
  environment.pasteboard().declareTypes({std::string(QVRPasteboardTypeString)});
  environment.pasteboard().setString(expression.result().formattedString(),
                                     QVRPasteboardTypeString);
  if (const auto number = QVRTallixNumber::tallixNumberFromPasteboard()) {
    expression.addOrReplaceWithNumber(*number);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<QVREnvironment> environment = QVREnvironment::makeForTesting();
  const QVREnvironment::Installation installation(*environment);
  environment->memoryLogSink()->clear();

  QVRTallixExpression expression;
  for (std::size_t index = 0; index < size; ++index) {
    const std::uint8_t byte = data[index];
    if (byte < 213) {
      expression.handleKey(static_cast<QVRTallixKeyType>(byte % 71));
    } else if (byte < 221) {
      require(expression.result().decimalNumber().has_value());
    } else if (byte < 229) {
      require(!expression.stringDescription().empty());
    } else if (byte < 237) {
      roundTrip(expression);
    } else if (byte < 245) {
      paste(*environment, expression);
    } else {
      const auto copy = expression.copy();
      expression.setExpression(*copy);
    }
    require(!expression.components().empty());
    require(expression.result().decimalNumber() ==
            expression.resultForExpression(expression.components()).decimalNumber());
  }
  return 0;
}
