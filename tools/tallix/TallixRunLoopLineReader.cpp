#include "tallix/TallixRunLoopLineReader.h"

#include <errno.h>
#include <unistd.h>

namespace tallix {

namespace {

constexpr std::size_t readSize = 64 * 1024;

}  // namespace

TallixRunLoopLineReader::TallixRunLoopLineReader(QVRPollRunLoop& loop, int fd, std::string pending,
                                                 std::size_t pendingStart, bool ended)
    : _loop(loop),
      _fd(fd),
      _input(std::move(pending)),
      _inputStart(std::min(pendingStart, _input.size())),
      _ended(ended) {}

std::optional<std::string> TallixRunLoopLineReader::readLine() {
  while (!_interrupted) {
    const auto lineEnd = _input.find('\n', _inputStart);
    if (lineEnd != std::string::npos) {
      std::string line = _input.substr(_inputStart, lineEnd - _inputStart);
      _inputStart = lineEnd + 1;
      return line;
    }
    if (_ended) {
      if (_inputStart >= _input.size()) return std::nullopt;
      std::string line = _input.substr(_inputStart);
      _inputStart = _input.size();
      return line;
    }
    if (!_watch.isActive()) _watch = _loop.watch(_fd, [this] { readAvailable(); });
    _loop.runOnce();
  }
  return std::nullopt;
}

void TallixRunLoopLineReader::readAvailable() {
  _input.erase(0, _inputStart);
  _inputStart = 0;
  const std::size_t kept = _input.size();
  _input.resize(kept + readSize);
  const ssize_t got = ::read(_fd, _input.data() + kept, readSize);
  _input.resize(kept + (got > 0 ? static_cast<std::size_t>(got) : 0));
  if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
    _ended = true;
    _watch.cancel();
  }
}

}  // namespace tallix
