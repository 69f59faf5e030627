#pragma once

#include <optional>
#include <string>

// One line written through QVRLogger.
struct QVRLogRecord {
  enum class Kind { format, exception, error, request };

  Kind kind = Kind::format;
  // The filled-in message given by the caller.
  std::string message;
  // The text of the caught exception or error object, when there is one.
  std::optional<std::string> errorText;

  // The line as written: the message, then the error's text after a colon.
  std::string description() const { return errorText ? message + ": " + *errorText : message; }
};
