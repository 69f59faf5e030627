#pragma once

#include "common/QVRLogRecord.h"

// Where QVRLogger's lines go: standard error in the program, memory in the tests.
class QVRLogSink {
 public:
  virtual ~QVRLogSink() = default;
  virtual void write(const QVRLogRecord& record) = 0;
};
