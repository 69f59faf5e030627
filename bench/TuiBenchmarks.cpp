#include <benchmark/benchmark.h>

#include <memory>

#include "common/QVREnvironment.h"
#include "expression/QVRTallixExpression.h"
#include "tallix/tui/TuiCalculator.h"
#include "tallix/tui/TuiInput.h"
#include "tallix/tui/TuiRenderer.h"
#include "tape/QVRTallixTape.h"

namespace {

// One key press of the full-screen calculator and the redraw after it: the state updated, the
// panes laid out and drawn into a frame, on an 80×24 (or 200×60) screen over a tape of
// range(1) entries and an expression of about 40 items. The frame budget at 120 Hz is 8.3 ms.
void tuiKeyAndRedraw(benchmark::State& state) {
  const auto environment = QVREnvironment::makeForTesting("en_US");
  const QVREnvironment::Installation installation(*environment);
  QVRTallixExpression::setCurrentExpression(std::make_shared<QVRTallixExpression>());
  tallix::TuiCalculator calculator;
  const int width = static_cast<int>(state.range(0));
  calculator.resize(width, width * 3 / 10);
  for (std::int64_t entry = 0; entry < state.range(1); ++entry) {
    for (const char* key : {"1", "2", "+", "3", "4"}) {
      calculator.handle(tallix::TuiInput::character(key));
    }
    calculator.handle(tallix::TuiInput::special(tallix::TuiSpecialKey::enter));
  }
  calculator.handle(tallix::TuiInput::special(tallix::TuiSpecialKey::escape));
  for (int item = 0; item < 10; ++item) {
    for (const char* key : {"1", "2", "3", "×", "(", "4", "5", ")", "sqrt"}) {
      calculator.handle(tallix::TuiInput::character(key));
    }
  }
  bool digit = false;
  for (auto _ : state) {
    // A digit typed and deleted again, so that every pass works on the same expression.
    calculator.handle(digit ? tallix::TuiInput::special(tallix::TuiSpecialKey::backspace)
                            : tallix::TuiInput::character("7"));
    digit = !digit;
    const tallix::TuiFrame frame = tallix::TuiRenderer::render(calculator);
    benchmark::DoNotOptimize(frame.cell(0, 0));
  }
}

}  // namespace

BENCHMARK(tuiKeyAndRedraw)
    ->Name("tui/key + redraw, width, tape entries:")
    ->Args({80, 100})
    ->Args({200, 1000})
    ->Unit(benchmark::kMicrosecond);
