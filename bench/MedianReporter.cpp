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

double counter(const benchmark::BenchmarkReporter::Run& run, const char* name, double absent) {
  const auto found = run.counters.find(name);
  return found == run.counters.end() ? absent : found->second.value;
}

// The processor time of the thread: on a shared machine, time spent waiting for a core is not the
// operation's. Benchmarks of other processes report wall-clock time ("wall_clock"), and those
// that do many items a call the time of one ("items_per_call").
double nanosecondsPerCall(const benchmark::BenchmarkReporter::Run& run) {
  const double seconds =
      counter(run, "wall_clock", 0) > 0 ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
  return seconds * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit) /
         counter(run, "items_per_call", 1);
}

std::string verdict(double value, double target) {
  return value <= target ? ": met)" : ": MISSED)";
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
    const bool items = counter(run, "items_per_call", 1) > 1 || counter(run, "wall_clock", 0) > 0;
    line += formatted(nanoseconds) + (items ? " per item" : " per call");
    if (const double target = counter(run, "target_ns", 0); target > 0) {
      line += " (target under " + formatted(target) + verdict(nanoseconds, target);
    }
    if (const double processor = counter(run, "cpu_per_item_ns", 0); processor > 0) {
      line += "; processor time " + formatted(processor) + " per item";
    }
    if (const double startup = counter(run, "startup_ns", 0); startup > 0) {
      const double target = counter(run, "startup_target_ns", 0);
      line += "; start-up " + formatted(startup) + " (target under " + formatted(target) +
              verdict(startup, target);
      if (const double processor = counter(run, "startup_cpu_ns", 0); processor > 0) {
        line += ", processor time " + formatted(processor);
      }
    }
    if (const double memory = counter(run, "maxrss_MiB", 0); memory > 0) {
      char text[64];
      std::snprintf(text, sizeof text, "; at most %.1f MiB resident (target under %.0f MiB", memory,
                    counter(run, "maxrss_target_MiB", 0));
      line += text + verdict(memory, counter(run, "maxrss_target_MiB", 0));
    }
    std::printf("%s\n", line.c_str());
  }
  std::fflush(stdout);
}

}  // namespace tallix
