#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallix {

class TallixLineReader;

// Where a command reads its input lines and writes its output and error messages: the standard
// streams in the program, buffers in the tests.
class TallixIO {
 public:
  virtual ~TallixIO() = default;
  // The next input line without its line end; none at the end of input (or after a
  // termination signal, see interruptingSignal()).
  virtual std::optional<std::string> readLine() = 0;
  virtual void write(std::string_view text) = 0;
  virtual void writeError(std::string_view text) = 0;

  // The line-mode calculator's input: line editing with `prompt` and a history kept in
  // `historyFile` when standard input is a terminal, and reading while the run loop runs, so
  // that its timers fire and SIGINT, SIGTERM or SIGHUP end the input. Input given in advance
  // has nothing to switch. Answers whether someone types at a terminal.
  virtual bool beginInteractiveInput(std::string_view prompt,
                                     const std::filesystem::path& historyFile) {
    (void)prompt;
    (void)historyFile;
    return false;
  }
  // The termination signal that ended the input; 0 when none did.
  virtual int interruptingSignal() const { return 0; }
  // Whether standard input and output are both a terminal (the full-screen calculator's place).
  virtual bool isTerminal() const { return false; }
};

// Standard input, output and error. Output is written when the program waits for input, when
// an error message is written and when it ends, so that a pipe sees each result before the next
// line is read, and a batch costs no write per line.
class TallixStandardIO final : public TallixIO {
 public:
  TallixStandardIO();
  ~TallixStandardIO() override;
  TallixStandardIO(const TallixStandardIO&) = delete;
  TallixStandardIO& operator=(const TallixStandardIO&) = delete;

  std::optional<std::string> readLine() override;
  void write(std::string_view text) override;
  void writeError(std::string_view text) override;
  bool beginInteractiveInput(std::string_view prompt,
                             const std::filesystem::path& historyFile) override;
  int interruptingSignal() const override { return _signal; }
  bool isTerminal() const override;

 private:
  std::unique_ptr<TallixLineReader> _reader;
  std::string _input;
  std::size_t _inputStart = 0;
  bool _inputEnded = false;
  int _signal = 0;
};

// Input lines given in advance; output and errors collected; a terminal or not, as told.
class TallixBufferIO final : public TallixIO {
 public:
  explicit TallixBufferIO(std::vector<std::string> input = {}, bool terminal = false)
      : _input(std::move(input)), _terminal(terminal) {}

  std::optional<std::string> readLine() override;
  void write(std::string_view text) override { _output += text; }
  void writeError(std::string_view text) override { _error += text; }

  const std::string& output() const { return _output; }
  const std::string& error() const { return _error; }
  bool isTerminal() const override { return _terminal; }

 private:
  std::vector<std::string> _input;
  bool _terminal;
  std::size_t _next = 0;
  std::string _output;
  std::string _error;
};

}  // namespace tallix
