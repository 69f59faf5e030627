// Any bytes as pasted text, in locales with other separators, grouping and digits: the paste
// gives a number or none, never a crash and never not-a-number. A number it gives, copied as the
// display shows it in decimal notation, pastes back as the number the display showed: its text
// stays the same, except where rounding to 15 digits reached 10^15, which then shows as "1e15".
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVREnvironment.h"
#include "common/QVRMemoryLogSink.h"
#include "common/QVRPasteboard.h"
#include "numbers/QVRTallixNumber.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

std::optional<QVRTallixNumber> paste(QVREnvironment& environment, std::string_view text) {
  environment.pasteboard().declareTypes({std::string(QVRPasteboardTypeString)});
  environment.pasteboard().setString(text, QVRPasteboardTypeString);
  return QVRTallixNumber::tallixNumberFromPasteboard();
}

std::vector<std::unique_ptr<QVREnvironment>> makeEnvironments() {
  std::vector<std::unique_ptr<QVREnvironment>> environments;
  for (const char* locale : {"en_US", "de_DE", "fr_CH", "ar_EG", "hi_IN", "sv_SE"}) {
    environments.push_back(QVREnvironment::makeForTesting(locale));
  }
  return environments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::unique_ptr<QVREnvironment>> environments = makeEnvironments();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const auto& environment : environments) {
    const QVREnvironment::Installation installation(*environment);
    environment->memoryLogSink()->clear();
    const std::optional<QVRTallixNumber> number = paste(*environment, text);
    if (!number) continue;
    require(number->decimalNumber() && !number->decimalNumber()->isNaN());
    const std::string shown = number->formattedString();
    // Scientific notation is no text the paste reads.
    if (shown.find('e') != std::string::npos || shown.find("10^") != std::string::npos) continue;
    number->writeToPasteboard();
    const std::optional<QVRTallixNumber> again = QVRTallixNumber::tallixNumberFromPasteboard();
    require(again.has_value());
    const QVRTallixDecimal threshold(1'000'000'000'000'000);
    require(again->formattedString() == shown || again->decimalNumber()->magnitude() == threshold);
  }
  return 0;
}
