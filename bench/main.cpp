// tallix-bench [WORD…] [Google Benchmark options…]: runs the benchmarks of the named groups (all
// when none is named), each repeated, and prints the median time of one call per operation.
// Options beginning with "--" go to Google Benchmark and override the defaults below.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "MedianReporter.h"

namespace {

struct Group {
  std::string_view word;
  std::string_view filter;  // a regular expression over benchmark names
};

constexpr Group groups[] = {
    {"numbers", "numbers/"}, {"units", "units/"},   {"keys", "keys/"},       {"eval", "eval/"},
    {"tape", "tape/"},       {"tape1m", "tape1m/"}, {"display", "display/"}, {"tui", "tui/"},
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments = {argv[0], "--benchmark_repetitions=15",
                                        "--benchmark_report_aggregates_only=true"};
  std::string filter;
  std::vector<std::string> passed;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.starts_with("--")) {
      passed.emplace_back(argument);
      continue;
    }
    const Group* group = nullptr;
    for (const Group& candidate : groups) {
      if (candidate.word == argument) group = &candidate;
    }
    if (!group) {
      std::fprintf(stderr, "tallix-bench: unknown benchmark group %s; known:", argv[i]);
      for (const Group& candidate : groups) {
        std::fprintf(stderr, " %.*s", int(candidate.word.size()), candidate.word.data());
      }
      std::fprintf(stderr, "\n");
      return 2;
    }
    filter += (filter.empty() ? "^(" : "|") + std::string(group->filter);
  }
  if (!filter.empty()) arguments.push_back("--benchmark_filter=" + filter + ")");
  arguments.insert(arguments.end(), passed.begin(), passed.end());

  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  int count = static_cast<int>(pointers.size());
  benchmark::Initialize(&count, pointers.data());
  if (benchmark::ReportUnrecognizedArguments(count, pointers.data())) return 2;
  tallix::MedianReporter reporter;
  const bool formatChosen = std::any_of(passed.begin(), passed.end(), [](const std::string& a) {
    return a.starts_with("--benchmark_format");
  });
  if (formatChosen) {
    benchmark::RunSpecifiedBenchmarks();
  } else {
    benchmark::RunSpecifiedBenchmarks(&reporter);
  }
  benchmark::Shutdown();
  return 0;
}
