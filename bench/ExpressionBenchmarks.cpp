// tallix-bench keys: one key press followed by result and stringDescription on an expression of
// 50 components (target: under 20 µs).
// tallix-bench eval: an expression of about ten keys typed into a new expression and printed,
// as `tallix eval` does for each line (target: a few µs).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVREnvironment.h"
#include "expression/QVRTallixExpression.h"

namespace {

// A test environment (memory defaults, virtual run loop) in en_US, installed while it lives.
class BenchmarkEnvironment {
 public:
  BenchmarkEnvironment()
      : _environment(QVREnvironment::makeForTesting("en_US")), _installation(*_environment) {}

 private:
  std::unique_ptr<QVREnvironment> _environment;
  QVREnvironment::Installation _installation;
};

std::vector<QVRTallixKeyType> keysOf(std::string_view text) {
  std::vector<QVRTallixKeyType> keys;
  for (const char c : text) keys.push_back(QVRTallixExpression::keyTypeFromString({&c, 1}));
  return keys;
}

void keyOnFiftyComponents(benchmark::State& state) {
  const BenchmarkEnvironment environment;
  QVRTallixExpression expression;
  const std::vector<QVRTallixKeyType> pattern = keysOf("12+3.5*(4-1)/7^2-");
  for (std::size_t index = 0; expression.components().size() < 49; ++index) {
    expression.handleKey(pattern[index % pattern.size()]);
  }
  expression.handleKey(QVRTallixKeyTypeDigit8);
  bool typeDigit = true;
  for (auto _ : state) {
    // A digit and a delete in turn, so that the expression keeps its size.
    expression.handleKey(typeDigit ? QVRTallixKeyTypeDigit5 : QVRTallixKeyTypeDelete);
    typeDigit = !typeDigit;
    benchmark::DoNotOptimize(expression.result());
    std::string text = expression.stringDescription();
    benchmark::DoNotOptimize(text);
  }
  state.counters["components"] = static_cast<double>(expression.components().size());
  state.counters["target_ns"] = 20000;
}

void evalTenKeys(benchmark::State& state) {
  const BenchmarkEnvironment environment;
  const std::vector<QVRTallixKeyType> keys = keysOf("12+3.5*(4-1)");
  for (auto _ : state) {
    QVRTallixExpression expression;
    for (const QVRTallixKeyType key : keys) expression.handleKey(key);
    std::string text = expression.stringDescription();
    benchmark::DoNotOptimize(text);
  }
  state.counters["target_ns"] = 5000;
}

}  // namespace

BENCHMARK(keyOnFiftyComponents)->Name("keys/key+result+text (50 components):");
BENCHMARK(evalTenKeys)->Name("eval/ten keys typed and printed:");
