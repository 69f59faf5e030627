#pragma once

#include <benchmark/benchmark.h>

#include <vector>

namespace tallix {

// Prints one line per benchmark: the median processor time of one call over the repetitions, and,
// when the
// benchmark sets the counter "target_ns", whether it stays under that target:
//   add:                         12.3 ns per call (target under 30 ns: met)
// Without repetitions, the single run's time is printed instead.
class MedianReporter : public benchmark::BenchmarkReporter {
 public:
  bool ReportContext(const Context& context) override;
  void ReportRuns(const std::vector<Run>& runs) override;
};

}  // namespace tallix
