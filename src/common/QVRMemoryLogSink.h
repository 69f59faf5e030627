#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "common/QVRLogSink.h"

// Keeps every line in memory, for tests that check exact log texts.
class QVRMemoryLogSink final : public QVRLogSink {
 public:
  void write(const QVRLogRecord& record) override;

  std::vector<QVRLogRecord> records() const;
  // Each record's description(), in order.
  std::vector<std::string> lines() const;
  // How many lines contain `text`.
  std::size_t countContaining(const std::string& text) const;
  void clear();

 private:
  mutable std::mutex _mutex;
  std::vector<QVRLogRecord> _records;
};
