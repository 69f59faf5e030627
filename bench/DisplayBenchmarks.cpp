#include <benchmark/benchmark.h>

#include <memory>

#include "common/QVREnvironment.h"
#include "display/QVRGlyphLayoutEngine.h"
#include "display/QVRTallixExpressionDisplayItem.h"
#include "display/QVRTerminalCellLayoutEngine.h"
#include "expression/QVRTallixExpression.h"

namespace {

// An expression of 50 display items, as a long calculation shows them: the angle badge, typed
// digits in runs with parentheses, operations, functions and results, ending with a number being
// typed: "DEG (1234 + 56.78) × 9 sin ² − … 12345.678", four groups of ten and nine typed
// characters.
std::unique_ptr<QVRTallixExpression> fiftyItems() {
  QVRTallixExpression::ComponentList components;
  const auto number = [&](double value) {
    components.emplace_back(
        QVRTallixAnyNumber(QVRTallixNumber::tallixNumberWithDoubleValue(value)));
  };
  const auto operation = [&](QVRTallixOperation value) { components.emplace_back(value); };
  for (int group = 0; group < 4; ++group) {
    operation(QVRTallixOperationOpenParenthesis);
    number(1234 + group);
    operation(QVRTallixOperationAdd);
    number(56.78);
    operation(QVRTallixOperationCloseParenthesis);
    operation(QVRTallixOperationMultiply);
    number(9);
    operation(QVRTallixOperationSIN);
    operation(QVRTallixOperationXPOW2);
    operation(QVRTallixOperationSubtract);
  }
  components.emplace_back(
      QVRTallixAnyNumber(std::make_unique<QVRTallixEditableNumber>("12345|678")));
  return std::make_unique<QVRTallixExpression>(std::move(components));
}

void layout(benchmark::State& state, bool cells) {
  const auto environment = QVREnvironment::makeForTesting("en_US");
  const QVREnvironment::Installation installation(*environment);
  const auto expression = fiftyItems();
  QVRTextLayoutEngine* engine =
      cells ? static_cast<QVRTextLayoutEngine*>(&QVRTerminalCellLayoutEngine::sharedEngine())
            : QVRGlyphLayoutEngine::sharedEngine();
  if (!engine) {
    state.SkipWithError("no font");
    return;
  }
  const QVRTallixTextAttributes attributes(*engine);
  std::size_t count = 0;
  for (auto _ : state) {
    const auto items =
        QVRTallixExpressionDisplayItem::displayItemsFromExpression(*expression, attributes);
    count = items.size();
    benchmark::DoNotOptimize(items.data());
  }
  state.counters["items"] = static_cast<double>(count);
}

// Layout of the row in terminal cells (target: well under 100 µs).
void displayLayoutCells(benchmark::State& state) {
  layout(state, true);
}
// Layout of the row with HarfBuzz (target: under 1 ms).
void displayLayoutGlyphs(benchmark::State& state) {
  layout(state, false);
}

}  // namespace

BENCHMARK(displayLayoutCells)->Name("display/layout_50_items_cells")->Unit(benchmark::kMicrosecond);
BENCHMARK(displayLayoutGlyphs)
    ->Name("display/layout_50_items_glyphs")
    ->Unit(benchmark::kMicrosecond);
