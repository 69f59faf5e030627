#include "tallix/TallixIO.h"

#include <errno.h>
#include <unistd.h>

#include <cstdio>

#include "common/QVREnvironment.h"
#include "common/QVRPollRunLoop.h"
#include "tallix/TallixEditLineReader.h"
#include "tallix/TallixLineReader.h"
#include "tallix/TallixRunLoopLineReader.h"

namespace tallix {

namespace {

constexpr std::size_t readSize = 64 * 1024;

void stripCarriageReturn(std::string& line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
}

}  // namespace

TallixStandardIO::TallixStandardIO() = default;

TallixStandardIO::~TallixStandardIO() {
  std::fflush(stdout);
}

std::optional<std::string> TallixStandardIO::readLine() {
  if (_reader) {
    std::fflush(stdout);
    auto line = _reader->readLine();
    if (line) stripCarriageReturn(*line);
    return line;
  }
  while (true) {
    const auto lineEnd = _input.find('\n', _inputStart);
    if (lineEnd != std::string::npos) {
      std::string line = _input.substr(_inputStart, lineEnd - _inputStart);
      _inputStart = lineEnd + 1;
      stripCarriageReturn(line);
      return line;
    }
    if (_inputEnded) {
      if (_inputStart >= _input.size()) return std::nullopt;
      std::string line = _input.substr(_inputStart);
      _inputStart = _input.size();
      stripCarriageReturn(line);
      return line;
    }
    // About to wait: what was written so far goes out first.
    std::fflush(stdout);
    _input.erase(0, _inputStart);
    _inputStart = 0;
    const std::size_t kept = _input.size();
    _input.resize(kept + readSize);
    ssize_t got;
    do {
      got = ::read(STDIN_FILENO, _input.data() + kept, readSize);
    } while (got < 0 && errno == EINTR);
    _input.resize(kept + (got > 0 ? static_cast<std::size_t>(got) : 0));
    if (got <= 0) _inputEnded = true;
  }
}

void TallixStandardIO::write(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

void TallixStandardIO::writeError(std::string_view text) {
  std::fflush(stdout);
  std::fwrite(text.data(), 1, text.size(), stderr);
}

bool TallixStandardIO::beginInteractiveInput(std::string_view prompt,
                                             const std::filesystem::path& historyFile) {
  auto* loop = dynamic_cast<QVRPollRunLoop*>(&QVREnvironment::current().runLoop());
  if (!loop || _reader) return false;
  const bool terminal = isatty(STDIN_FILENO);
  if (terminal) {
    _reader = std::make_unique<TallixEditLineReader>(*loop, std::string(prompt), historyFile);
  } else {
    _reader = std::make_unique<TallixRunLoopLineReader>(*loop, STDIN_FILENO, std::move(_input),
                                                        _inputStart, _inputEnded);
    _input.clear();
    _inputStart = 0;
  }
  loop->onSignal([this](int signal) {
    if (_signal == 0) _signal = signal;
    _reader->interrupt();
  });
  return terminal;
}

bool TallixStandardIO::isTerminal() const {
  return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
}

std::optional<std::string> TallixBufferIO::readLine() {
  if (_next >= _input.size()) return std::nullopt;
  return _input[_next++];
}

}  // namespace tallix
