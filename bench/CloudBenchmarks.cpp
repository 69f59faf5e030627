#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "cloud/QVRTallixArrayMerger.h"

namespace {

// Two versions of a tape of n entries: the target lost every tenth entry and gained one after
// every seventh. The search costs the product of the lengths per shared run found.
void BM_TallixArrayMergerMergeActions(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  std::vector<std::string> source;
  std::vector<std::string> target;
  for (int i = 0; i < n; ++i) {
    source.push_back("E621E1F8-C36C-495A-93FC-" + std::to_string(100000000000 + i));
    if (i % 10 != 0) target.push_back(source.back());
    if (i % 7 == 0) target.push_back("NEW-" + std::to_string(i));
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        QVRTallixArrayMerger<std::string>::mergeActionsFromSource(source, target));
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_TallixArrayMergerMergeActions)->RangeMultiplier(4)->Range(16, 1024)->Complexity();

}  // namespace
