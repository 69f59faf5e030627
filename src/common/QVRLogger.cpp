#include "common/QVRLogger.h"

#include "common/QVREnvironment.h"
#include "common/QVRLogSink.h"

namespace {

void write(const QVRLogRecord& record) {
  for (QVRLogSink* sink : QVREnvironment::current().logSinks()) sink->write(record);
}

}  // namespace

void QVRLogger::logFormat(std::string message) {
  write({QVRLogRecord::Kind::format, std::move(message), std::nullopt});
}

void QVRLogger::logException(const QVRException& exception, std::string descriptionFormat) {
  write({QVRLogRecord::Kind::exception, std::move(descriptionFormat), exception.description()});
}

void QVRLogger::logError(const QVRError& error, std::string descriptionFormat) {
  write({QVRLogRecord::Kind::error, std::move(descriptionFormat), error.description()});
}

void QVRLogger::logRequest(const std::string& request, const std::string* responseValue,
                           const QVRError* error) {
  std::string value = responseValue ? responseValue->substr(0, 200) : "(none)";
  write({QVRLogRecord::Kind::request, "Request " + request + " answered " + value,
         error ? std::optional(error->description()) : std::nullopt});
}

bool QVRLoggingEnabled() {
  return QVREnvironment::current().loggingEnabled();
}

void setQVRLoggingEnabled(bool enabled) {
  QVREnvironment::current().setLoggingEnabled(enabled);
}
