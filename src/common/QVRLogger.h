#pragma once

#include <string>

#include "common/QVRError.h"
#include "common/QVRException.h"

// The logger of the common services. Lines go to the current environment's sinks. Callers fill
// in their message text themselves (fmt::format), so the logged text is exactly the message.
class QVRLogger {
 public:
  QVRLogger() = delete;

  static void logFormat(std::string message);
  // A caught exception, then the caller's description of what it was doing.
  static void logException(const QVRException& exception, std::string descriptionFormat);
  // An error object that a failed call returned.
  static void logError(const QVRError& error, std::string descriptionFormat);
  // A finished request with its response value (the first 200 characters) and error.
  static void logRequest(const std::string& request, const std::string* responseValue,
                         const QVRError* error);
};

// Whether verbose lines are written (the environment's flag; see QVREnvironment).
bool QVRLoggingEnabled();
void setQVRLoggingEnabled(bool enabled);
