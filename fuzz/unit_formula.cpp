// A unit formula from any bytes: a formula unit with the bytes as its "to" formula (and, split at
// the first line feed, a "from" formula) converts values of every kind both ways. A formula that
// cannot be evaluated fails its own conversion, which answers zero and logs; nothing may crash or
// raise past the conversion.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "common/QVREnvironment.h"
#include "common/QVRMemoryLogSink.h"
#include "units/QVRTallixFormulaUnit.h"
#include "units/QVRTallixUnitCategory.h"

namespace {

struct Setup {
  std::unique_ptr<QVREnvironment> environment = QVREnvironment::makeForTesting();
  QVREnvironment::Installation installation{*environment};
  const QVRTallixNumber values[6] = {
      QVRTallixNumber(QVRTallixDecimal::zero()),
      QVRTallixNumber(QVRTallixDecimal::one()),
      QVRTallixNumber(QVRTallixDecimal::fromString("-273.15")),
      QVRTallixNumber(QVRTallixDecimal::fromString("3.4e127")),
      QVRTallixNumber(QVRTallixDecimal::fromString("1e-128")),
      QVRTallixNumber::nan(),
  };
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Setup setup;
  setup.environment->memoryLogSink()->clear();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\n');
  QVRPropertyList::Dictionary entry{{"class", "QVRTallixFormulaUnit"},
                                    {"name", "fuzzed"},
                                    {"to", std::string(bytes.substr(0, split))}};
  if (split != std::string_view::npos) entry["from"] = std::string(bytes.substr(split + 1));
  const auto category = QVRTallixUnitCategory::initWithDictionary(
      QVRPropertyList::Dictionary{
          {"name", "Fuzz"},
          {"units",
           QVRPropertyList::Array{
               entry, QVRPropertyList::Dictionary{{"class", "QVRTallixUnit"}, {"name", "base"}}}}},
      std::nullopt);
  QVRTallixUnit* unit = category->unitNamed("fuzzed");
  QVRTallixUnit* base = category->unitNamed("base");
  if (!unit || !base) std::abort();
  for (const QVRTallixNumber& value : setup.values) {
    const auto there = QVRTallixUnit::convertNumber(&value, unit, base);
    const auto back = QVRTallixUnit::convertNumber(&value, base, unit);
    if (!there || !back) std::abort();
  }
  return 0;
}
