#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "common/QVRPollRunLoop.h"
#include "tallix/TallixLineReader.h"

namespace tallix {

// Reads lines from the terminal with line editing (libedit) while the run loop runs: the
// terminal's bytes are handed to the editor one at a time as they arrive, so that timers fire
// and signals are handled while the user types. The terminal is in its usual mode between
// lines, while the program writes. Lines entered are kept in a history file, read at the start
// and written at the end, bounded to `historyLength` lines.
class TallixEditLineReader final : public TallixLineReader {
 public:
  static constexpr int historyLength = 500;

  TallixEditLineReader(QVRPollRunLoop& loop, std::string prompt, std::filesystem::path historyFile);
  // Writes the history file.
  ~TallixEditLineReader() override;
  // Identity object: the editor's callback finds it through the environment.
  TallixEditLineReader(const TallixEditLineReader&) = delete;
  TallixEditLineReader& operator=(const TallixEditLineReader&) = delete;

  std::optional<std::string> readLine() override;
  void interrupt() override;

 private:
  static void lineHandler(char* line) noexcept;
  void finishLine(char* line);

  QVRPollRunLoop& _loop;
  std::string _prompt;
  std::filesystem::path _historyFile;
  std::optional<std::string> _line;
  bool _lineReady = false;
  bool _ended = false;
  bool _editing = false;
};

}  // namespace tallix
