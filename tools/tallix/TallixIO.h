#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallix {

// Where a command reads its input lines and writes its output and error messages: the standard
// streams in the program, buffers in the tests.
class TallixIO {
 public:
  virtual ~TallixIO() = default;
  // The next input line without its line end; none at the end of input.
  virtual std::optional<std::string> readLine() = 0;
  virtual void write(std::string_view text) = 0;
  virtual void writeError(std::string_view text) = 0;
};

// Standard input, output and error, unbuffered between lines so that a pipe sees each result as
// soon as it is computed.
class TallixStandardIO final : public TallixIO {
 public:
  std::optional<std::string> readLine() override;
  void write(std::string_view text) override;
  void writeError(std::string_view text) override;
};

// Input lines given in advance; output and errors collected.
class TallixBufferIO final : public TallixIO {
 public:
  explicit TallixBufferIO(std::vector<std::string> input = {}) : _input(std::move(input)) {}

  std::optional<std::string> readLine() override;
  void write(std::string_view text) override { _output += text; }
  void writeError(std::string_view text) override { _error += text; }

  const std::string& output() const { return _output; }
  const std::string& error() const { return _error; }

 private:
  std::vector<std::string> _input;
  std::size_t _next = 0;
  std::string _output;
  std::string _error;
};

}  // namespace tallix
