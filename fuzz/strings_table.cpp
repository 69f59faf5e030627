// The strings-table parser on any bytes: a table or a reason, never a crash; a table it reads,
// written out again with escapes, reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzPropertyLists.h"
#include "common/QVRStringsTableParser.h"

namespace {

std::string quoted(const std::string& text) {
  std::string result = "\"";
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    if (character == '"' || character == '\\') {
      result += '\\';
      result += character;
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\U%04x", byte);
      result += escape;
    } else {
      result += character;
    }
  }
  return result + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto table = QVRStringsTableParser::table(std::span(data, size));
  FuzzPropertyLists::checkOutcome(table);
  if (!table.value) return 0;
  std::string text = "/* written again */\n";
  for (const auto& [key, value] : *table.value) text += quoted(key) + " = " + quoted(value) + ";\n";
  const auto again = QVRStringsTableParser::table(text);
  if (!again.value || *again.value != *table.value) std::abort();
  return 0;
}
