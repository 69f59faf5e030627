// Header values of a WebDAV server (ETag, Lock-Token, dates): each reader must answer for any
// bytes, and what it accepts must read back the same.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cloud/QVRCKStoreFiles.h"
#include "cloud/QVRCKWebDAVHeaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view value(reinterpret_cast<const char*>(data), size);
  if (const auto tag = QVRCKWebDAVHeaders::entityTag(value)) {
    // The tag as sent: read again, it is the same tag.
    const std::string again = (tag->weak ? "W/" : "") + tag->opaqueTag;
    const auto reread = QVRCKWebDAVHeaders::entityTag(again);
    if (!reread || reread->opaqueTag != tag->opaqueTag || reread->weak != tag->weak) {
      __builtin_trap();
    }
  }
  if (const auto token = QVRCKWebDAVHeaders::lockToken(value)) {
    if (QVRCKWebDAVHeaders::lockToken("<" + *token + ">") != token) __builtin_trap();
  }
  if (const auto date = QVRCKWebDAVHeaders::httpDate(value)) {
    // Years 1678 to 2262, which the clock holds; the day of the week is not checked.
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(date->time_since_epoch()).count();
    if (seconds < -9'300'000'000 || seconds > 9'300'000'000) __builtin_trap();
  }
  // File names from a listing: a record's file name reads back to one name, and back.
  if (const auto name = QVRCKStoreFiles::recordNameOfFile(value)) {
    if (QVRCKStoreFiles::recordFileName(*name) != value) __builtin_trap();
  }
  return 0;
}
