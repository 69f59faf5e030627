#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/QVRArray.h"
#include "common/QVRData.h"

namespace {

// A tape of n identifiers on the server, and a local copy that lost every tenth entry and
// added one after every seventh: the merge when two devices edited the same tape.
void BM_ArrayByMergingWithArray(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  std::vector<std::string> server;
  std::vector<std::string> local;
  for (int i = 0; i < n; ++i) {
    server.push_back("E621E1F8-C36C-495A-93FC-" + std::to_string(100000000000 + i));
    if (i % 10 != 0) local.push_back(server.back());
    if (i % 7 == 0) local.push_back("LOCAL-" + std::to_string(i));
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(QVRArray::arrayByMergingWithArray(server, local));
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_ArrayByMergingWithArray)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

void BM_Crc32(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes(static_cast<std::size_t>(state.range(0)), 0xA5);
  for (auto _ : state) benchmark::DoNotOptimize(QVRData::crc32(bytes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc32)->Arg(1 << 20);

}  // namespace
