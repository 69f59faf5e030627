// tallix-bench numbers: the number operations on 38-digit operands, a sine in degrees, and the
// exact factorial of 19 (the largest one computed in integers). Targets: a third of the times
// measured for the first implementation.

#include <benchmark/benchmark.h>

#include "numbers/QVRTallixNumber.h"

namespace {

QVRTallixNumber number(const char* text) {
  return QVRTallixNumber(QVRTallixDecimal::fromString(text));
}

template <class Operation>
void measure(benchmark::State& state, QVRTallixNumber left, QVRTallixNumber right,
             Operation operation, double targetNanoseconds) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(left);
    benchmark::DoNotOptimize(right);
    QVRTallixNumber result = operation(left, right);
    benchmark::DoNotOptimize(result);
  }
  state.counters["target_ns"] = targetNanoseconds;
}

const QVRTallixNumber wide = number("12345678901234567890123456789012345678");
const QVRTallixNumber otherWide = number("98765432109876543210987654321098765432");

void add(benchmark::State& state) {
  measure(
      state, wide, otherWide, [](auto& a, auto& b) { return a.add(b); }, 30);
}

void multiply(benchmark::State& state) {
  measure(
      state, wide, otherWide, [](auto& a, auto& b) { return a.multiply(b); }, 69);
}

void divide(benchmark::State& state) {
  measure(
      state, wide, otherWide, [](auto& a, auto& b) { return a.divide(b); }, 35);
}

void sine(benchmark::State& state) {
  measure(
      state, number("0.5"), QVRTallixNumber(), [](auto& a, auto&) { return a.sin(false); }, 188);
}

void factorial(benchmark::State& state) {
  measure(
      state, number("19"), QVRTallixNumber(), [](auto& a, auto&) { return a.factorial(); }, 105);
}

}  // namespace

BENCHMARK(add)->Name("numbers/add:");
BENCHMARK(multiply)->Name("numbers/multiply:");
BENCHMARK(divide)->Name("numbers/divide:");
BENCHMARK(sine)->Name("numbers/sin:");
BENCHMARK(factorial)->Name("numbers/factorial");
