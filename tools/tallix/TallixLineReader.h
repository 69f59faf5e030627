#pragma once

#include <optional>
#include <string>

namespace tallix {

// A source of input lines that waits on the run loop.
class TallixLineReader {
 public:
  virtual ~TallixLineReader() = default;
  // The next line without its line end; none at the end of input or after interrupt().
  virtual std::optional<std::string> readLine() = 0;
  // Ends the input: the waiting readLine() answers none, and so do later ones.
  virtual void interrupt() = 0;
};

}  // namespace tallix
