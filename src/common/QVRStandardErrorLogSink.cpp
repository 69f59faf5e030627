#include "common/QVRStandardErrorLogSink.h"

#include <cstdio>

void QVRStandardErrorLogSink::write(const QVRLogRecord& record) {
  const std::string line = "tallix: " + record.description() + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}
