// tallix-bench eval: 10,000 generated expressions through `tallix eval`, in process and as a
// batch run of the tallix binary beside tallix-bench. For the binary: µs per expression =
// (batch time − start-up time) / N (target under 6.7 µs, half of the fastest peer's), the
// start-up time of `tallix eval 1+1` (target under 10 ms) and the maximum resident memory of the
// batch run (target under 10 MiB).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <fmt/format.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/QVREnvironment.h"
#include "tallix/TallixCommandLine.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::size_t expressionCount = 10'000;

// Expressions as tallix's keys: numbers, + − × ÷, powers, parentheses and postfix functions.
class ExpressionGenerator {
 public:
  explicit ExpressionGenerator(std::uint64_t seed) : _random(seed) {}

  std::string expression(int depth = 0) {
    std::string text = operand(depth);
    const int operators = pick(0, 3);
    for (int index = 0; index < operators; ++index) {
      text += "+-*/"[pick(0, 3)];
      text += operand(depth);
    }
    return text;
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(_random); }

  std::string number() {
    std::string text = std::to_string(pick(1, 99999));
    if (pick(0, 1)) text += fmt::format(".{}", pick(0, 999));
    return text;
  }

  std::string operand(int depth) {
    switch (pick(0, 9)) {
      case 0:
        if (depth < 2) return fmt::format("({})", expression(depth + 1));
        break;
      case 1:
        return fmt::format("{}^{}", number(), pick(0, 6));
      case 2:
        return fmt::format("{} {}", number(), pick(0, 1) ? "sqrt" : "ln");
      case 3:
        return fmt::format("{} {}", pick(0, 360), pick(0, 1) ? "sin" : "cos");
      default:
        break;
    }
    return number();
  }

  std::mt19937_64 _random;
};

const std::vector<std::string>& expressions() {
  static const std::vector<std::string> generated = [] {
    ExpressionGenerator generator(20261206);
    std::vector<std::string> lines;
    for (std::size_t index = 0; index < expressionCount; ++index) {
      lines.push_back(generator.expression());
    }
    return lines;
  }();
  return generated;
}

void evalInProcess(benchmark::State& state) {
  const auto environment = QVREnvironment::makeForTesting("en_US");
  const QVREnvironment::Installation installation(*environment);
  tallix::TallixCommandLine commandLine(tallix::TallixCommandLine::defaultCommands());
  for (auto _ : state) {
    state.PauseTiming();
    tallix::TallixBufferIO io(expressions());
    state.ResumeTiming();
    benchmark::DoNotOptimize(commandLine.run({"eval"}, io));
    benchmark::DoNotOptimize(io.output().size());
  }
  state.counters["items_per_call"] = expressionCount;
  state.counters["target_ns"] = 6700;
}

struct ChildRun {
  double seconds = 0;
  double processorSeconds = 0;
  long maximumResidentKiB = 0;
  bool succeeded = false;
};

// GNU time, when installed, measures the resident memory of tallix alone: a child spawned from
// here counts this process's memory until it executes its program.
constexpr const char* gnuTime = "/usr/bin/time";

// Runs tallix with `arguments`, standard input from `input`, standard output thrown away.
ChildRun runTallix(const fs::path& tallix, std::vector<std::string> arguments,
                   const fs::path& input, const fs::path& scratch) {
  std::vector<std::string> variables = {
      "LC_ALL=en_US.UTF-8",
      fmt::format("TALLIX_APPLICATION_SUPPORT={}", (scratch / "data").string())};
  for (char** variable = environ; *variable; ++variable) {
    const std::string_view text = *variable;
    if (!text.starts_with("LC_") && !text.starts_with("LANG") && !text.starts_with("TALLIX_")) {
      variables.emplace_back(text);
    }
  }
  std::vector<char*> envp;
  for (auto& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  const fs::path memoryFile = scratch / "memory.txt";
  const bool timed = access(gnuTime, X_OK) == 0;
  arguments.insert(arguments.begin(), tallix.string());
  if (timed) arguments.insert(arguments.begin(), {gnuTime, "-f", "%M", "-o", memoryFile.string()});
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  ChildRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv.front(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.processorSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  run.maximumResidentKiB = usage.ru_maxrss;
  if (timed) std::ifstream(memoryFile) >> run.maximumResidentKiB;
  run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

void evalBatchOfTheBinary(benchmark::State& state) {
  std::error_code error;
  const fs::path tallix = fs::read_symlink("/proc/self/exe", error).parent_path() / "tallix";
  if (error || !fs::exists(tallix)) {
    state.SkipWithError("no tallix beside tallix-bench");
    return;
  }
  const fs::path scratch = fs::temp_directory_path() / fmt::format("tallix-bench-{}", getpid());
  fs::create_directories(scratch / "data");
  const fs::path input = scratch / "expressions.txt";
  {
    std::ofstream file(input);
    for (const std::string& line : expressions()) file << line << '\n';
  }
  const fs::path empty = scratch / "empty.txt";
  std::ofstream(empty).close();

  std::vector<double> startups;
  std::vector<double> startupProcessorTimes;
  std::vector<double> processorTimesPerItem;
  long maximumResidentKiB = 0;
  for (auto _ : state) {
    ChildRun startup = runTallix(tallix, {"eval", "1+1"}, empty, scratch);
    ChildRun batch = runTallix(tallix, {"eval"}, input, scratch);
    if (!startup.succeeded || !batch.succeeded) {
      state.SkipWithError("tallix failed");
      break;
    }
    startups.push_back(startup.seconds);
    startupProcessorTimes.push_back(startup.processorSeconds);
    processorTimesPerItem.push_back(
        std::max(0.0, batch.processorSeconds - startup.processorSeconds) / expressionCount);
    maximumResidentKiB = std::max(maximumResidentKiB, batch.maximumResidentKiB);
    state.SetIterationTime(std::max(0.0, batch.seconds - startup.seconds) / expressionCount);
  }
  fs::remove_all(scratch, error);
  if (startups.empty()) return;
  // On a loaded machine the processor time tells more than the wall clock.
  const auto median = [](std::vector<double>& values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
  };
  state.counters["cpu_per_item_ns"] = median(processorTimesPerItem) * 1e9;
  state.counters["startup_cpu_ns"] = median(startupProcessorTimes) * 1e9;
  std::sort(startups.begin(), startups.end());
  state.counters["wall_clock"] = 1;
  state.counters["target_ns"] = 6700;
  state.counters["startup_ns"] = startups[startups.size() / 2] * 1e9;
  state.counters["startup_target_ns"] = 10e6;
  state.counters["maxrss_MiB"] = static_cast<double>(maximumResidentKiB) / 1024;
  state.counters["maxrss_target_MiB"] = 10;
}

}  // namespace

BENCHMARK(evalInProcess)
    ->Name("eval/10,000 expressions in process:")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(evalBatchOfTheBinary)
    ->Name("eval/tallix eval < 10,000 lines:")
    ->UseManualTime()
    ->Iterations(3);
