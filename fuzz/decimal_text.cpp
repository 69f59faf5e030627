// Any bytes as text for the decimal's text reading, with ".", "," and a two-byte separator,
// requiring the whole text or not. Invariants: no crash; a value read is a number (never
// not-a-number) and reads back equal from its own description; whatever the whole text gives, the
// start of the text gives too.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "numbers/QVRTallixDecimal.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const std::string_view separator : {".", ",", "\u066B"}) {
    const std::optional<QVRTallixDecimal> start = QVRTallixDecimal::fromString(text, separator);
    const std::optional<QVRTallixDecimal> whole =
        QVRTallixDecimal::fromString(text, separator, true);
    if (whole) require(start == whole);
    if (!start) continue;
    require(!start->isNaN());
    const std::optional<QVRTallixDecimal> again =
        QVRTallixDecimal::fromString(start->description(), ".", true);
    require(again == start);
    // The arithmetic on what was read never fails other than by its error codes.
    const QVRTallixDecimal::Result square = QVRTallixDecimal::multiply(*start, *start);
    if (square.ok()) require(!square.value.isNaN());
    const QVRTallixDecimal::Result quotient =
        QVRTallixDecimal::divide(QVRTallixDecimal::one(), *start);
    require((quotient.error == QVRTallixDecimalError::divideByZero) == start->isZero());
  }
  return 0;
}
