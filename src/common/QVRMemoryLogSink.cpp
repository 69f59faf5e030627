#include "common/QVRMemoryLogSink.h"

void QVRMemoryLogSink::write(const QVRLogRecord& record) {
  std::lock_guard lock(_mutex);
  _records.push_back(record);
}

std::vector<QVRLogRecord> QVRMemoryLogSink::records() const {
  std::lock_guard lock(_mutex);
  return _records;
}

std::vector<std::string> QVRMemoryLogSink::lines() const {
  std::lock_guard lock(_mutex);
  std::vector<std::string> result;
  result.reserve(_records.size());
  for (const auto& record : _records) result.push_back(record.description());
  return result;
}

std::size_t QVRMemoryLogSink::countContaining(const std::string& text) const {
  std::size_t count = 0;
  for (const auto& line : lines()) {
    if (line.find(text) != std::string::npos) ++count;
  }
  return count;
}

void QVRMemoryLogSink::clear() {
  std::lock_guard lock(_mutex);
  _records.clear();
}
