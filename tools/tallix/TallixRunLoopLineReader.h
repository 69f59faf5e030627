#pragma once

#include <optional>
#include <string>

#include "common/QVRPollRunLoop.h"
#include "tallix/TallixLineReader.h"

namespace tallix {

// Reads lines from a descriptor (standard input that is no terminal: a pipe, a file) while the
// run loop runs, so that timers fire and signals are handled while the program waits.
class TallixRunLoopLineReader final : public TallixLineReader {
 public:
  // `pending` holds input read before, from `pendingStart` on; `ended` says the descriptor has
  // already reached its end.
  TallixRunLoopLineReader(QVRPollRunLoop& loop, int fd, std::string pending = {},
                          std::size_t pendingStart = 0, bool ended = false);
  // Identity object: the loop's watch calls back into it.
  TallixRunLoopLineReader(const TallixRunLoopLineReader&) = delete;
  TallixRunLoopLineReader& operator=(const TallixRunLoopLineReader&) = delete;

  std::optional<std::string> readLine() override;
  void interrupt() override { _interrupted = true; }

 private:
  void readAvailable();

  QVRPollRunLoop& _loop;
  int _fd;
  std::string _input;
  std::size_t _inputStart;
  bool _ended;
  bool _interrupted = false;
  QVRPollRunLoop::Watch _watch;
};

}  // namespace tallix
