#pragma once

#include "common/QVRLogSink.h"

// Writes each line to standard error, prefixed with "tallix: ".
class QVRStandardErrorLogSink final : public QVRLogSink {
 public:
  void write(const QVRLogRecord& record) override;
};
