#include "tallix/TallixEditLineReader.h"

#include <unistd.h>

// libedit's readline header needs stdio's FILE declared first.
#include <cstdio>
#include <cstdlib>

#include <editline/readline.h>

#include "common/QVREnvironment.h"

namespace tallix {

namespace {

// The reader whose line the editor's callback receives. The editor's callback carries no
// pointer of ours, so the reader that waits is kept where the callback can find it.
struct WaitingReader {
  TallixEditLineReader* reader = nullptr;
};

bool isBlank(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

void writeLineEnd() {
  [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, "\n", 1);
}

}  // namespace

TallixEditLineReader::TallixEditLineReader(QVRPollRunLoop& loop, std::string prompt,
                                           std::filesystem::path historyFile)
    : _loop(loop), _prompt(std::move(prompt)), _historyFile(std::move(historyFile)) {
  rl_readline_name = "tallix";
  // The run loop takes the termination signals; the editor must not handle them itself.
  rl_catch_signals = 0;
  rl_initialize();
  using_history();
  stifle_history(historyLength);
  if (!_historyFile.empty()) read_history(_historyFile.c_str());
}

TallixEditLineReader::~TallixEditLineReader() {
  if (_editing) rl_callback_handler_remove();
  if (!_historyFile.empty()) write_history(_historyFile.c_str());
}

std::optional<std::string> TallixEditLineReader::readLine() {
  if (_ended) return std::nullopt;
  _line.reset();
  _lineReady = false;
  auto& waiting = QVREnvironment::current().sharedInstance<WaitingReader>();
  waiting.reader = this;
  rl_callback_handler_install(_prompt.c_str(), &TallixEditLineReader::lineHandler);
  _editing = true;
  {
    const QVRPollRunLoop::Watch watch = _loop.watch(STDIN_FILENO, [] { rl_callback_read_char(); });
    while (!_lineReady && !_ended) _loop.runOnce();
  }
  if (_editing) {
    rl_callback_handler_remove();
    _editing = false;
  }
  waiting.reader = nullptr;
  if (_line && !isBlank(*_line)) add_history(_line->c_str());
  return _line;
}

void TallixEditLineReader::interrupt() {
  if (_ended) return;
  _ended = true;
  if (_editing) {
    // Leaves the line being typed where it stands and gives the terminal back.
    rl_callback_handler_remove();
    _editing = false;
    writeLineEnd();
  }
}

void TallixEditLineReader::lineHandler(char* line) noexcept {
  auto* waiting = QVREnvironment::current().existingSharedInstance<WaitingReader>();
  if (waiting && waiting->reader) {
    waiting->reader->finishLine(line);
  } else {
    std::free(line);
  }
}

void TallixEditLineReader::finishLine(char* line) {
  if (line) {
    _line = std::string(line);
    _lineReady = true;
    std::free(line);
  } else {
    // End of input (Control-D on an empty line): the shell's prompt starts on a line of its own.
    _ended = true;
    writeLineEnd();
  }
}

}  // namespace tallix
