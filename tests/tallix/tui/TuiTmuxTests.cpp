// The full-screen calculator as a user meets it: tallix started in a detached tmux session on a
// private server (its own socket, an 80×24 window, TERM=screen, a fresh home and data folder),
// keys sent with send-keys, and each screen compared with the one committed under tests/tui/.
// Waiting on the real process is unavoidable here: each screen is polled with capture-pane a
// bounded number of times until it shows what is expected. TALLIX_UPDATE_SCREENS=1 writes the
// screens seen instead of comparing them (look at them before committing).

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct ProcessOutcome {
  int status = -1;
  std::string output;
};

// Runs a program found on PATH and collects its standard output. The output goes through a file,
// not a pipe: the tmux server that a first command starts keeps what it inherited open.
ProcessOutcome runProgram(const std::vector<std::string>& arguments) {
  char path[] = "/tmp/tallix-tui-output-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return {};
  unlink(path);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fd, STDOUT_FILENO);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ProcessOutcome outcome;
  if (spawned == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    char buffer[4096];
    ssize_t got;
    for (off_t offset = 0; (got = pread(fd, buffer, sizeof buffer, offset)) > 0; offset += got) {
      outcome.output.append(buffer, static_cast<std::size_t>(got));
    }
  }
  close(fd);
  return outcome;
}

// Each line without its trailing blanks, and no blank lines at the end.
std::string normalised(const std::string& screen) {
  std::istringstream lines(screen);
  std::string text;
  std::string line;
  while (std::getline(lines, line)) {
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
  }
  while (text.ends_with("\n\n")) text.pop_back();
  return text;
}

class TmuxSession {
 public:
  explicit TmuxSession(const fs::path& folder)
      : _socket("tallix-tui-" + std::to_string(getpid()) + "-" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())),
        _folder(folder) {
    std::ofstream(folder / "tmux.conf") << "set -g status off\n"
                                           "set -g default-terminal screen\n"
                                           "set -g set-clipboard on\n"
                                           "set -g remain-on-exit on\n";
  }
  ~TmuxSession() { tmux({"kill-server"}); }
  TmuxSession(const TmuxSession&) = delete;
  TmuxSession& operator=(const TmuxSession&) = delete;

  ProcessOutcome tmux(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(),
                     {"tmux", "-L", _socket, "-f", (_folder / "tmux.conf").string()});
    return runProgram(arguments);
  }

  // The shell command that starts tallix with the test's own home and data folders.
  std::string tallixCommand() const {
    const std::string home = (_folder / "home").string();
    return "env HOME=" + home + " XDG_DATA_HOME=" + home + "/data XDG_CONFIG_HOME=" + home +
           "/config LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM=screen " + TALLIX_BINARY;
  }

  std::string capture() { return normalised(tmux({"capture-pane", "-p", "-t", "tui"}).output); }

  // Polls the screen until it is `expected`; answers the last screen seen.
  std::string waitForScreen(const std::string& expected) {
    std::string screen;
    for (int attempt = 0; attempt < 600; ++attempt) {
      screen = capture();
      if (screen == expected) break;
      std::this_thread::sleep_for(20ms);
    }
    return screen;
  }

  std::string waitForText(const std::string& text) {
    std::string screen;
    for (int attempt = 0; attempt < 600; ++attempt) {
      screen = capture();
      if (screen.find(text) != std::string::npos) break;
      std::this_thread::sleep_for(20ms);
    }
    return screen;
  }

 private:
  std::string _socket;
  fs::path _folder;
};

class TuiTmuxTests : public ::testing::Test {
 protected:
  void SetUp() override {
    if (runProgram({"tmux", "-V"}).status != 0) GTEST_SKIP() << "tmux is not installed";
    char pattern[] = "/tmp/tallix-tui-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    _folder = pattern;
    fs::create_directories(_folder / "home");
  }
  void TearDown() override {
    std::error_code ignored;
    if (!_folder.empty()) fs::remove_all(_folder, ignored);
  }

  // Compares the screen with tests/tui/NAME.txt once it shows `ready`.
  void expectScreen(TmuxSession& session, const std::string& name, const std::string& ready) {
    SCOPED_TRACE(name);
    const fs::path file = fs::path(TALLIX_TEST_SOURCE_DIR) / "tui" / (name + ".txt");
    if (std::getenv("TALLIX_UPDATE_SCREENS")) {
      std::ofstream(file) << session.waitForText(ready);
      return;
    }
    std::ifstream stream(file);
    std::stringstream expected;
    expected << stream.rdbuf();
    ASSERT_TRUE(stream.good() || stream.eof()) << file;
    EXPECT_EQ(session.waitForScreen(expected.str()), expected.str());
  }

  fs::path _folder;
};

TEST_F(TuiTmuxTests, CalculateUseTheTapeResizeQuitAndComeBack) {
  TmuxSession session(_folder);
  ASSERT_EQ(
      session
          .tmux({"new-session", "-d", "-s", "tui", "-x", "80", "-y", "24", session.tallixCommand()})
          .status,
      0);
  expectScreen(session, "01-start", "Tape (0)");

  // A calculation with a correction, saved with Enter; then one that goes on from its result.
  session.tmux({"send-keys", "-t", "tui", "-l", "12+34"});
  session.tmux({"send-keys", "-t", "tui", "BSpace", "BSpace"});
  session.tmux({"send-keys", "-t", "tui", "-l", "5sqrt"});
  expectScreen(session, "02-typing", "12 + 5 √");
  session.tmux({"send-keys", "-t", "tui", "Enter"});
  session.tmux({"send-keys", "-t", "tui", "-l", "*2="});
  expectScreen(session, "03-saved", "Tape (2)");

  // The first entry picked from the tape into a new calculation, marked as a favorite.
  session.tmux({"send-keys", "-t", "tui", "-l", "100+"});
  session.tmux({"send-keys", "-t", "tui", "Tab", "Home", "f", "Enter"});
  expectScreen(session, "04-picked", "100 + ");

  // The result copied to the terminal's clipboard (tmux keeps it as a paste buffer) and pasted
  // back with a bracketed paste.
  session.tmux({"send-keys", "-t", "tui", "C-y"});
  session.waitForText("Copied ");
  EXPECT_EQ(session.tmux({"show-buffer"}).output, "114.236067977");
  session.tmux({"set-buffer", "--", "-2.5"});
  session.tmux({"send-keys", "-t", "tui", "-l", "*"});
  session.tmux({"paste-buffer", "-p", "-t", "tui"});
  expectScreen(session, "05-pasted", "Pasted -2.5");

  // Wide, tiny and back.
  session.tmux({"resize-window", "-t", "tui", "-x", "120", "-y", "30"});
  expectScreen(session, "06-wide", "│");
  session.tmux({"resize-window", "-t", "tui", "-x", "20", "-y", "5"});
  expectScreen(session, "07-tiny", "too");
  session.tmux({"resize-window", "-t", "tui", "-x", "80", "-y", "24"});
  session.waitForText("Tape (2)");

  // Control-C leaves with the terminal restored and status 0.
  session.tmux({"send-keys", "-t", "tui", "C-c"});
  std::string dead;
  for (int attempt = 0; attempt < 600 && dead != "1\n"; ++attempt) {
    dead = session.tmux({"display-message", "-p", "-t", "tui", "#{pane_dead}"}).output;
    if (dead != "1\n") std::this_thread::sleep_for(20ms);
  }
  ASSERT_EQ(dead, "1\n");
  EXPECT_EQ(session.tmux({"display-message", "-p", "-t", "tui", "#{pane_dead_status}"}).output,
            "0\n");
  EXPECT_EQ(session.capture().find("Tape ("), std::string::npos) << session.capture();

  // Started again: the expression and the tape are back.
  session.tmux({"respawn-pane", "-k", "-t", "tui", session.tallixCommand()});
  expectScreen(session, "08-restarted", "Tape (2)");
  session.tmux({"send-keys", "-t", "tui", "C-d"});
}

}  // namespace
