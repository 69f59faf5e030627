// Any bytes as lines typed into tallix: each line goes through the key typer and, when every
// word names a key, into a new expression, whose line is typed back in. A line types at most
// one key per byte, an unknown word is part of the line, the printed expression types back in,
// and nothing crashes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVREnvironment.h"
#include "common/QVRMemoryLogSink.h"
#include "expression/QVRTallixExpression.h"
#include "tallix/TallixKeyTyper.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

std::string typedLine(const tallix::TallixKeyTyper& typer, std::string_view text, bool radians) {
  std::vector<QVRTallixKeyType> keys;
  const auto unknown = typer.keyTypes(text, keys);
  if (unknown) {
    require(keys.empty() && unknown->size() >= 2 && text.find(*unknown) != std::string::npos);
    return {};
  }
  require(keys.size() <= text.size());
  QVRTallixExpression expression;
  expression.setRadMode(radians);
  for (const QVRTallixKeyType key : keys) expression.handleKey(key);
  return expression.stringDescription();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<QVREnvironment> environment = QVREnvironment::makeForTesting();
  const QVREnvironment::Installation installation(*environment);
  environment->memoryLogSink()->clear();
  static const tallix::TallixKeyTyper typer;

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const bool radians = size > 0 && (data[0] & 1);
  for (std::size_t start = 0; start <= input.size();) {
    const std::size_t end = std::min(input.find('\n', start), input.size());
    const std::string line = typedLine(typer, input.substr(start, end - start), radians);
    if (!line.empty()) {
      // The printed expression types back in without an unknown word.
      std::vector<QVRTallixKeyType> keys;
      require(!typer.keyTypes(std::string_view(line).substr(0, line.rfind(" = ")), keys));
    }
    start = end + 1;
  }
  return 0;
}
