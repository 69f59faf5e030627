#include "tallix/tui/TuiCommand.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <clocale>
#include <vector>

#include "common/QVREnvironment.h"
#include "common/QVRPollRunLoop.h"
#include "expression/QVRTallixExpression.h"
#include "tallix/TallixCalculatorOptions.h"
#include "tallix/tui/TuiCalculator.h"
#include "tallix/tui/TuiCursesScreen.h"
#include "tallix/tui/TuiRenderer.h"
#include "tape/QVRTallixTape.h"

namespace tallix {

namespace {

// The longest the program waits without looking at the terminal: a size change that arrives
// just before the wait is seen no later than this.
constexpr std::chrono::milliseconds longestWait{250};

// While the screen is drawn, what goes to standard error (the log) would scribble over it: it
// goes to a file instead (the last run's), and back to the terminal afterwards.
class StandardErrorToFile {
 public:
  explicit StandardErrorToFile(const std::filesystem::path& file) : _saved(dup(STDERR_FILENO)) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
      std::fflush(stderr);
      dup2(fd, STDERR_FILENO);
      close(fd);
    }
  }
  ~StandardErrorToFile() {
    if (_saved < 0) return;
    std::fflush(stderr);
    dup2(_saved, STDERR_FILENO);
    close(_saved);
  }
  StandardErrorToFile(const StandardErrorToFile&) = delete;
  StandardErrorToFile& operator=(const StandardErrorToFile&) = delete;

 private:
  int _saved;
};

}  // namespace

std::string TuiCommand::usage() const {
  return R"USAGE(usage: tallix tui [--radians]
       tallix --tui [--radians]
       tallix [--radians]          (at a terminal)

The full-screen calculator: the expression as you type it, its result, and the tape beside it
(wide terminals) or above it. Type keys as for 'tallix eval' (digits, + - * / ^ ( ) ! % and
key names such as sin, sqrt, pi); Enter is the equal key and saves the calculation to the
tape; Tab moves between the expression and the tape, where Enter takes an entry's result, f
marks a favorite and d removes the entry. F1 or ? lists every key with its spoken label.
Control-Y copies the result, Control-T the calculation (to the terminal's clipboard too),
Control-V pastes a number; Control-C or Control-D leaves. The expression comes back at the
next start. 'tallix lines' is the line-mode calculator. While the screen is shown, log lines
go to "tui.log" in the application-support directory.

Options:
  --radians   angles in radians (default: the mode the expression was left in)
  --help      this text
)USAGE";
}

void TuiCommand::configure(CLI::App& command) {
  command.allow_extras();
  _command = &command;
}

int TuiCommand::run(TallixIO& io) {
  const std::vector<std::string> arguments =
      _command ? _command->remaining() : std::vector<std::string>();
  const std::optional<bool> radians =
      TallixCalculatorOptions::radians(arguments, "--tui", "tallix tui", io);
  if (!radians) return TallixExitCode::usage;
  auto* loop = dynamic_cast<QVRPollRunLoop*>(&QVREnvironment::current().runLoop());
  if (!io.isTerminal() || !loop) {
    io.writeError(
        "tallix tui: standard input and output must be a terminal (try 'tallix lines')\n");
    return TallixExitCode::usage;
  }
  std::setlocale(LC_ALL, "");
  if (*radians) QVRTallixExpression::currentExpression()->setRadMode(true);

  int signal = 0;
  std::string error;
  {
    const StandardErrorToFile log(QVREnvironment::current().applicationSupportDirectory() /
                                  logFileName);
    const std::unique_ptr<TuiCursesScreen> screen = TuiCursesScreen::open(error);
    if (screen) {
      TuiCalculator calculator;
      calculator.setCopyHandler([&screen](std::string_view text) { screen->writeClipboard(text); });
      const auto resize = [&] {
        const auto [width, height] = screen->size();
        calculator.resize(width, height);
      };
      resize();
      loop->onSignal([&signal](int number) {
        if (signal == 0) signal = number;
      });
      bool tapeChanged = false;
      QVRNotificationCenter& center = QVREnvironment::current().notificationCenter();
      const auto tapeObservation =
          center.addObserver(std::string(QVRTallixTapeDidChangeExpressionsNotification), nullptr,
                             [&tapeChanged](const QVRNotification&) { tapeChanged = true; });
      const auto favoritesObservation =
          center.addObserver(std::string(QVRTallixTapeDidChangeFavoritesNotification), nullptr,
                             [&tapeChanged](const QVRNotification&) { tapeChanged = true; });
      const auto readTerminal = [&] {
        for (const TuiInput& input : screen->readInputs()) {
          if (input.kind == TuiInput::Kind::resize) resize();
          calculator.handle(input);
          if (calculator.wantsToQuit()) break;
        }
      };
      const QVRPollRunLoop::Watch watch = loop->watch(STDIN_FILENO, readTerminal);
      while (!calculator.wantsToQuit() && signal == 0) {
        if (calculator.wantsRedraw() || tapeChanged) {
          screen->draw(TuiRenderer::render(calculator));
          calculator.didRedraw();
          tapeChanged = false;
        }
        loop->runOnce(longestWait);
        readTerminal();
      }
      // The handler refers to this frame, which ends here.
      loop->onSignal([](int) {});
    }
  }
  if (!error.empty()) {
    io.writeError(fmt::format("tallix tui: {}\n", error));
    return TallixExitCode::failure;
  }
  return signal ? 128 + signal : TallixExitCode::success;
}

}  // namespace tallix
