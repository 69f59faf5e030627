// tallix in a detached tmux session on a private server (80×24, TERM=screen, a fresh home), keys
// sent with send-keys, each screen polled with capture-pane (a bounded number of times) until it
// is the one under tests/tui/. TALLIX_UPDATE_SCREENS=1 writes the screens seen instead.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string textOf(const fs::path& file) {
  std::stringstream text;
  text << std::ifstream(file).rdbuf();
  return text.str();
}

class TuiTmuxTests : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("tmux -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
    char pattern[] = "/tmp/tallix-tui-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    _folder = pattern;
    fs::create_directories(_folder / "home");
    std::ofstream(_folder / "tmux.conf") << "set -g status off\nset -g default-terminal screen\n"
                                            "set -g set-clipboard on\nset -g remain-on-exit on\n";
  }
  void TearDown() override {
    if (_folder.empty()) return;
    tmux({"kill-server"});
    std::error_code ignored;
    fs::remove_all(_folder, ignored);
  }

  // The output goes through a file, not a pipe: the server that a first command starts would
  // keep the pipe open. Answers the output; `status` holds the exit status.
  std::string tmux(const std::vector<std::string>& arguments) {
    std::string command = "tmux -L tallix-tui-" + _folder.filename().string() + " -f '" +
                          (_folder / "tmux.conf").string() + "'";
    for (const std::string& argument : arguments) {
      command += " '";
      for (const char c : argument) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
      command += "'";
    }
    status =
        std::system((command + " >'" + (_folder / "output").string() + "' 2>/dev/null").c_str());
    return textOf(_folder / "output");
  }
  void keys(std::vector<std::string> keys) {
    keys.insert(keys.begin(), {"send-keys", "-t", "tui"});
    tmux(keys);
  }

  // The shell command that starts tallix with the test's own home and data folders.
  std::string tallixCommand() const {
    const std::string home = (_folder / "home").string();
    return "env HOME=" + home + " XDG_DATA_HOME=" + home + "/data XDG_CONFIG_HOME=" + home +
           "/config LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM=screen " + TALLIX_BINARY;
  }

  // The screen, each line without its trailing blanks and no blank lines at the end, polled (a
  // bounded number of times) until `ready` holds.
  template <class Ready>
  std::string waitForScreen(Ready ready, int attempts = 600) {
    std::string screen;
    for (int attempt = 0; attempt <= attempts; ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      std::istringstream lines(tmux({"capture-pane", "-p", "-t", "tui"}));
      screen.clear();
      for (std::string line; std::getline(lines, line);) {
        screen += line.erase(line.find_last_not_of(' ') + 1) + "\n";
      }
      while (screen.ends_with("\n\n")) screen.pop_back();
      if (ready(screen)) break;
    }
    return screen;
  }
  std::string waitForText(const std::string& text) {
    return waitForScreen(
        [&](const std::string& screen) { return screen.find(text) != std::string::npos; });
  }

  // Compares the screen with tests/tui/NAME.txt.
  void expectScreen(const std::string& name, const std::string& ready) {
    SCOPED_TRACE(name);
    const fs::path file = fs::path(TALLIX_TEST_SOURCE_DIR) / "tui" / (name + ".txt");
    if (std::getenv("TALLIX_UPDATE_SCREENS")) {
      std::ofstream(file) << waitForText(ready);
      return;
    }
    const std::string expected = textOf(file);
    EXPECT_EQ(waitForScreen([&](const std::string& screen) { return screen == expected; }),
              expected);
  }

  fs::path _folder;
  int status = -1;
};

TEST_F(TuiTmuxTests, CalculateUseTheTapeResizeQuitAndComeBack) {
  tmux({"new-session", "-d", "-s", "tui", "-x", "80", "-y", "24", tallixCommand()});
  ASSERT_EQ(status, 0);
  expectScreen("01-start", "Tape (0)");

  // A calculation with a correction, saved with Enter; then one that goes on from its result.
  keys({"-l", "12+34"});
  keys({"BSpace", "BSpace"});
  keys({"-l", "5sqrt"});
  expectScreen("02-typing", "12 + 5 √");
  keys({"Enter"});
  keys({"-l", "*2="});
  expectScreen("03-saved", "Tape (2)");

  // The first entry picked from the tape into a new calculation, marked as a favorite.
  keys({"-l", "100+"});
  keys({"Tab", "Home", "f", "Enter"});
  expectScreen("04-picked", "100 + ");

  // The result copied to the terminal's clipboard (tmux keeps it as a paste buffer) and pasted
  // back with a bracketed paste.
  keys({"C-y"});
  waitForText("Copied ");
  EXPECT_EQ(tmux({"show-buffer"}), "114.236067977");
  tmux({"set-buffer", "--", "-2.5"});
  keys({"-l", "*"});
  tmux({"paste-buffer", "-p", "-t", "tui"});
  expectScreen("05-pasted", "Pasted -2.5");

  // Wide, tiny and back.
  tmux({"resize-window", "-t", "tui", "-x", "120", "-y", "30"});
  expectScreen("06-wide", "│");
  tmux({"resize-window", "-t", "tui", "-x", "20", "-y", "5"});
  expectScreen("07-tiny", "too");
  tmux({"resize-window", "-t", "tui", "-x", "80", "-y", "24"});
  waitForText("Tape (2)");

  // Control-C leaves with the terminal restored (its status is not asked of tmux, which under
  // parallel load sometimes leaves the ended program unreaped).
  keys({"C-c"});
  const std::string left = waitForScreen(
      [](const std::string& screen) { return screen.find("Tape (") == std::string::npos; }, 2000);
  EXPECT_EQ(left.find("Tape ("), std::string::npos) << left;

  // Started again: the expression and the tape are back.
  tmux({"respawn-pane", "-k", "-t", "tui", tallixCommand()});
  expectScreen("08-restarted", "Tape (2)");
  keys({"C-d"});
}

}  // namespace
