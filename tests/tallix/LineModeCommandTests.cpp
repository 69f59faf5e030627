// The line-mode calculator: sessions through buffers, reading on the run loop, and the program
// leaving on a termination signal with the expression saved. Sessions across restarts are in the
// recorded outputs (GoldenOutputsTests); the saving itself in QVRTallixCurrentExpressionTests.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/QVRPollRunLoop.h"
#include "common/QVRVirtualRunLoop.h"
#include "expression/QVRTallixExpression.h"
#include "support/TallixCommandRun.h"
#include "support/TallixTest.h"
#include "tallix/TallixRunLoopLineReader.h"

namespace {

using namespace std::chrono_literals;

class LineModeCommandTests : public TallixTest {};

// The recorded sessions (GoldenOutputsTests) cover what lines print; these are the words that
// end a session, the help, the options and the messages, of the line mode and of tallix eval.
TEST_F(LineModeCommandTests, EnterShowsTheResultWhichTheNextLineGoesOnFrom) {
  const std::string evalHelp = " (see 'tallix eval --help' for the key names)\n";
  // clang-format off
  const struct { std::vector<std::string> arguments, input; int status; std::string output, error; } cases[] = {
    {{}, {"2+3", "*4", "C", "5!", "", "7", "quit", "1+1"}, 0, "2 + 3 = 5\n5 × 4 = 20\n0 = 0\n5! = 120\n120 = 120\n7 = 7\n", ""},
    {{"lines"}, {"200", "+10%", "  exit  ", "4"}, 0, "200 = 200\n200 + 10 % = 220\n", ""},
    {{"--radians"}, {"90 sin", "deg 90 sin"}, 0, "90 sin = 0.893996663600558\n90 sin = 1\n", ""},
    {{}, {"zz", "3"}, 0, "3 = 3\n", "tallix: unknown key name 'zz' in 'zz' (type 'help' for the key names)\n"},
    {{}, {"help", "q"}, 0, "usage: tallix [--radians]\n", ""},
    {{"--nope"}, {"1"}, 2, "", "tallix: unknown option '--nope' (see 'tallix --help')\n"},
    {{"lines", "1+1"}, {"1"}, 2, "", "tallix: unexpected argument '1+1' (see 'tallix --help')\n"},
    // tallix eval: lines from the input, or its arguments; after "--" everything is an
    // expression, and "-5" never was an option; the other expressions still print.
    {{"eval"}, {"1+1", "", "1/3"}, 0, "1 + 1 = 2\n0 = 0\n1 ÷ 3 = 0.333333333333333\n", ""},
    {{"eval", "--", "-5", "--radians"}, {}, 2, "0 − 5 = -5\n", "tallix eval: unknown key name 'radians' in '--radians'" + evalHelp},
    {{"eval", "-5"}, {}, 0, "0 − 5 = -5\n", ""},
    {{"eval", "1+1", "foo+1", "2*2"}, {}, 2, "1 + 1 = 2\n2 × 2 = 4\n", "tallix eval: unknown key name 'foo' in 'foo+1'" + evalHelp},
    {{"eval", "--bogus", "1"}, {}, 2, "", "tallix eval: unknown option '--bogus' (see 'tallix eval --help')\n"},
    // The command line: an option before the command, unknown commands, help and the version.
    {{"--radians", "eval", "90 sin"}, {}, 0, "90 sin = 0.893996663600558\n", ""},
    {{"frobnicate"}, {}, 2, "", "tallix: unknown command 'frobnicate' (see 'tallix --help')\n"},
    {{"eval", "--frobnicate", "--help"}, {}, 0, "usage: tallix eval", ""},
    {{"--version"}, {}, 0, "tallix 1.0\n", ""},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testing::PrintToString(testCase.arguments) +
                 testing::PrintToString(testCase.input));
    QVRTallixExpression::setCurrentExpression(std::make_shared<QVRTallixExpression>());
    const TallixOutcome outcome = tallixRun(testCase.arguments, testCase.input);
    EXPECT_EQ(outcome.status, testCase.status);
    EXPECT_EQ(outcome.output.substr(0, testCase.output.size()), testCase.output);
    EXPECT_EQ(outcome.error, testCase.error);
  }
}

TEST_F(LineModeCommandTests, ReadingOnTheRunLoopLetsTimersFireAndEndsWhenInterrupted) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  // Every reading of the clock is 20 seconds on: timers fall due without waiting.
  auto clock = QVRPollRunLoop::MonotonicClock::time_point();
  QVRPollRunLoop loop({.monotonic = [&clock] { return clock += 20s; }});
  tallix::TallixRunLoopLineReader reader(loop, fds[0], "left over\nhal", 5);
  int fired = 0;
  bool interrupting = false;
  const QVRTimer timer = loop.scheduledTimer(10s, false, [&] {
    if (++fired == 1) {
      ASSERT_EQ(write(fds[1], "f\nnext\n", 7), 7);
    }
    if (interrupting) reader.interrupt();
  });
  EXPECT_EQ(reader.readLine(), "over");
  EXPECT_EQ(fired, 0);
  // Nothing more to read until the timer writes.
  EXPECT_EQ(reader.readLine(), "half");
  EXPECT_GE(fired, 1);
  EXPECT_EQ(reader.readLine(), "next");
  // The pipe stays open: only the interruption ends the wait, for good.
  interrupting = true;
  EXPECT_EQ(reader.readLine(), std::nullopt);
  EXPECT_EQ(reader.readLine(), std::nullopt);
  close(fds[1]);
  close(fds[0]);
}

// The program itself: a termination signal in the middle of a typed line leaves with the
// status of the signal, and the expression on the display is there at the next start. SIGINT
// and SIGHUP take the same path through the run loop (QVRPollRunLoopTests).
class LineModeProgramTests : public TallixTest {
 protected:
  // Starts tallix on pipes with the test's data folder and en_US, whatever the test runner's
  // locale and home, and with the signals acting as they do by default, whatever it ignores or
  // blocks.
  pid_t start(int& input, int& output) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return -1;
    std::string folder = environment().applicationSupportDirectory().string();
    std::string variables[] = {"LC_ALL=en_US.UTF-8", "TALLIX_APPLICATION_SUPPORT=" + folder,
                               "HOME=" + folder};
    char* envp[] = {variables[0].data(), variables[1].data(), variables[2].data(), nullptr};
    char program[] = TALLIX_BINARY;
    char* argv[] = {program, nullptr};
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(in[0], STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);
      execve(program, argv, envp);
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    input = in[1];
    output = out[0];
    return pid;
  }

  // Reads until `expected` has come, or the output ends.
  static std::string readUntil(int fd, const std::string& expected) {
    std::string text;
    char buffer[256];
    while (text.find(expected) == std::string::npos) {
      const ssize_t got = read(fd, buffer, sizeof buffer);
      if (got <= 0) break;
      text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
  }
};

TEST_F(LineModeProgramTests, ASignalLeavesWithTheExpressionSaved) {
  const int signal = SIGTERM;
  int input = -1, output = -1;
  pid_t pid = start(input, output);
  ASSERT_GT(pid, 0);
  const std::string typed = "6*7\n2+";
  ASSERT_EQ(write(input, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  EXPECT_EQ(readUntil(output, "\n"), "6 × 7 = 42\n");
  kill(pid, signal);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
  close(input);
  close(output);

  pid = start(input, output);
  ASSERT_GT(pid, 0);
  ASSERT_EQ(write(input, "+1\n", 3), 3);
  close(input);
  EXPECT_EQ(readUntil(output, "\n"), "42 + 1 = 43\n");
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  close(output);
}

}  // namespace
