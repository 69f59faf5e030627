// Any bytes as what a terminal sends the full-screen calculator: keys, control keys, typed
// characters (also broken UTF-8 and escape bytes) and bracketed pastes, at changing sizes. The
// screen is drawn around each size change and at the end; the frame keeps its size, the cursor
// stays inside it, and nothing crashes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/QVREnvironment.h"
#include "common/QVRMemoryLogSink.h"
#include "expression/QVRTallixExpression.h"
#include "tallix/tui/TuiCalculator.h"
#include "tallix/tui/TuiRenderer.h"
#include "tape/QVRTallixTape.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

// A byte below 0x20 names an input other than a character.
tallix::TuiInput inputFor(std::uint8_t byte, std::string_view& rest) {
  using tallix::TuiInput;
  using tallix::TuiSpecialKey;
  if (byte >= 0x20) return TuiInput::character(std::string(1, static_cast<char>(byte)));
  if (byte < 16) return TuiInput::special(static_cast<TuiSpecialKey>(byte));
  if (byte == 16 || byte == 17) {
    // A paste of the bytes up to the next NUL.
    const std::size_t end = std::min(rest.find('\0'), rest.size());
    TuiInput pasted = TuiInput::paste(std::string(rest.substr(0, end)));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    return pasted;
  }
  if (byte == 18 && rest.size() >= 4) {
    // A multi-byte character, whatever its bytes.
    const std::size_t length = 1 + static_cast<std::uint8_t>(rest[0]) % 4;
    TuiInput typed = TuiInput::character(std::string(rest.substr(1, length)));
    rest.remove_prefix(std::min(1 + length, rest.size()));
    return typed;
  }
  return TuiInput::control("cdytvrlaq"[byte % 9]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<QVREnvironment> environment = QVREnvironment::makeForTesting();
  const QVREnvironment::Installation installation(*environment);
  environment->memoryLogSink()->clear();
  QVRTallixTape::tape().removeAllExpressions();
  QVRTallixExpression::setCurrentExpression(std::make_shared<QVRTallixExpression>());
  tallix::TuiCalculator calculator;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  int width = 80;
  int height = 24;
  calculator.resize(width, height);
  const auto draw = [&] {
    const tallix::TuiFrame frame = tallix::TuiRenderer::render(calculator);
    require(frame.width() == width && frame.height() == height);
    if (const auto& cursor = frame.cursor()) {
      require(cursor->first >= 0 && cursor->first < height);
      require(cursor->second >= 0 && cursor->second <= width);
    }
  };
  while (!rest.empty()) {
    const auto byte = static_cast<std::uint8_t>(rest.front());
    rest.remove_prefix(1);
    if (byte == 0x7F && rest.size() >= 2) {
      // The screen before and after a new size.
      draw();
      width = static_cast<std::uint8_t>(rest[0]) % 160;
      height = static_cast<std::uint8_t>(rest[1]) % 60;
      rest.remove_prefix(2);
      calculator.resize(width, height);
      draw();
      continue;
    }
    calculator.handle(inputFor(byte, rest));
  }
  draw();
  return 0;
}
