// The sync status file beside a document, as any disk may hold it: read for any bytes, with
// dates the clock can hold.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "cloud/QVRCKSyncStatus.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto status = QVRCKSyncStatus::fromData(std::span(data, size));
  for (const auto& time : {status.lastPoll, status.lastUpload}) {
    // Within the years the clock holds.
    const auto seconds =
        time ? std::chrono::duration_cast<std::chrono::seconds>(time->time_since_epoch()).count()
             : 0;
    if (seconds < -9'100'000'000 || seconds > 9'100'000'000) __builtin_trap();
  }
  return 0;
}
