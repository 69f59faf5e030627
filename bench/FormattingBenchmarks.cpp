// tallix-bench numbers: the display texts. formattedString of 1 ÷ 3 (38 digits rounded to the
// display's 15, through the settings and the shared formatter), and editString of a number being
// typed. Targets: a third of the times measured for the first implementation (1240 and 1800 ns).

#include <benchmark/benchmark.h>

#include <memory>

#include "common/QVREnvironment.h"
#include "numbers/QVRTallixEditableNumber.h"
#include "numbers/QVRTallixNumber.h"

namespace {

// A test environment (memory defaults, en_US) installed for the whole run, so that the settings
// and formatters are made once and no file of the user is read.
QVREnvironment& benchmarkEnvironment() {
  static const std::unique_ptr<QVREnvironment> environment = QVREnvironment::makeForTesting();
  static const QVREnvironment::Installation installation(*environment);
  return *environment;
}

void formattedString(benchmark::State& state) {
  benchmarkEnvironment();
  const QVRTallixNumber third =
      QVRTallixNumber(QVRTallixDecimal(1)).divide(QVRTallixNumber(QVRTallixDecimal(3)));
  for (auto _ : state) {
    std::string text = third.formattedString();
    benchmark::DoNotOptimize(text);
  }
  state.counters["target_ns"] = 413;
}

void editString(benchmark::State& state) {
  benchmarkEnvironment();
  const QVRTallixEditableNumber editable("-12345|678");
  for (auto _ : state) {
    std::string text = editable.editString();
    benchmark::DoNotOptimize(text);
  }
  state.counters["target_ns"] = 600;
}

}  // namespace

BENCHMARK(formattedString)->Name("numbers/formattedString");
BENCHMARK(editString)->Name("numbers/editString");
