#include "MedianReporter.h"

#include <cstdio>
#include <string>

namespace tallix {

namespace {

std::string formatted(double nanoseconds) {
  char text[32];
  if (nanoseconds < 1e3) {
    std::snprintf(text, sizeof text, "%.1f ns", nanoseconds);
  } else if (nanoseconds < 1e6) {
    std::snprintf(text, sizeof text, "%.2f µs", nanoseconds / 1e3);
  } else {
    std::snprintf(text, sizeof text, "%.2f ms", nanoseconds / 1e6);
  }
  return text;
}

// The processor time of the thread: on a shared machine, time spent waiting for a core is not the
// operation's.
double nanosecondsPerCall(const benchmark::BenchmarkReporter::Run& run) {
  return run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
}

}  // namespace

bool MedianReporter::ReportContext(const Context& context) {
  std::printf(
      "%d CPUs at %.0f MHz; median over the repetitions of the processor time of one call\n",
      context.cpu_info.num_cpus, context.cpu_info.cycles_per_second / 1e6);
  return true;
}

void MedianReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
    const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
    if (!median && !single) continue;
    if (run.error_occurred) {
      std::printf("%-28s failed: %s\n", run.run_name.function_name.c_str(),
                  run.error_message.c_str());
      continue;
    }
    // "numbers/add:" is shown as "add:".
    std::string name = run.run_name.function_name;
    if (const auto slash = name.find('/'); slash != std::string::npos) name.erase(0, slash + 1);
    const double nanoseconds = nanosecondsPerCall(run);
    std::string line = name;
    line.resize(std::max<std::size_t>(line.size() + 1, 28), ' ');
    line += formatted(nanoseconds) + " per call";
    if (const auto target = run.counters.find("target_ns"); target != run.counters.end()) {
      line += " (target under " + formatted(target->second.value) +
              (nanoseconds <= target->second.value ? ": met)" : ": MISSED)");
    }
    std::printf("%s\n", line.c_str());
  }
  std::fflush(stdout);
}

}  // namespace tallix
