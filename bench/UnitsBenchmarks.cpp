// tallix-bench units: a conversion through the bundled catalogue between two factor units
// (inch to mile: a multiplication and a division) and between two temperature scales with
// offsets (°C to °F: an addition, then a multiplication, a division and a subtraction), and a
// converted amount formatted with its symbol.

#include <benchmark/benchmark.h>

#include <memory>

#include "common/QVREnvironment.h"
#include "numbers/QVRTallixNumber.h"
#include "units/QVRTallixUnit.h"
#include "units/QVRTallixUnitCategory.h"

namespace {

// The two units of the bundled catalogue, in a test environment installed while it lives.
class Conversion {
 public:
  Conversion(const char* category, const char* from, const char* to)
      : _environment(QVREnvironment::makeForTesting()), _installation(*_environment) {
    if (QVRTallixUnitCategory* found = QVRTallixUnitCategory::categoryNamed(category)) {
      _from = found->unitNamed(from);
      _to = found->unitNamed(to);
    }
  }
  const QVRTallixUnit* from() const { return _from; }
  const QVRTallixUnit* to() const { return _to; }

 private:
  std::unique_ptr<QVREnvironment> _environment;
  QVREnvironment::Installation _installation;
  const QVRTallixUnit* _from = nullptr;
  const QVRTallixUnit* _to = nullptr;
};

void convert(benchmark::State& state, const char* category, const char* from, const char* to) {
  const Conversion conversion(category, from, to);
  if (!conversion.from() || !conversion.to()) {
    state.SkipWithError("the bundled catalogue lacks the units");
    return;
  }
  const QVRTallixNumber value(QVRTallixDecimal::fromString("1234.5678"));
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    auto result = QVRTallixUnit::convertNumber(&value, conversion.from(), conversion.to());
    benchmark::DoNotOptimize(result);
  }
  state.counters["target_ns"] = 300;
}

void format(benchmark::State& state) {
  const Conversion conversion("Temperature", "celsius", "fahrenheit");
  if (!conversion.to()) {
    state.SkipWithError("the bundled catalogue lacks the units");
    return;
  }
  const QVRTallixNumber value(QVRTallixDecimal::fromString("2254.22204"));
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    auto text = conversion.to()->formatedStringForNumber(value);
    benchmark::DoNotOptimize(text);
  }
}

}  // namespace

BENCHMARK_CAPTURE(convert, inch, "Length", "inch", "mile")->Name("units/convert inch → mile:");
BENCHMARK_CAPTURE(convert, celsius, "Temperature", "celsius", "fahrenheit")
    ->Name("units/convert °C → °F:");
BENCHMARK(format)->Name("units/formatedStringForNumber:");
