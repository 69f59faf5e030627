// PROPFIND answers as any server may send them: the multistatus reader must answer for any
// bytes, and what it answers must hold together: decoded paths without NUL, file names that are
// the last segment of their path, ETags as the server gave them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cloud/QVRCKWebDAVMultistatus.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const auto responses = QVRCKWebDAVMultistatus::responses(body);
  if (!responses) return 0;
  for (const auto& response : *responses) {
    if (response.path.empty() || response.path.find('\0') != std::string::npos) __builtin_trap();
    if (response.fileName.find('/') != std::string::npos) __builtin_trap();
    if (response.path.find(response.fileName) == std::string::npos) __builtin_trap();
  }
  // The percent decoder on its own: what it answers encodes no NUL.
  if (const auto decoded = QVRCKWebDAVMultistatus::percentDecoded(body)) {
    if (decoded->size() > body.size()) __builtin_trap();
  }
  return 0;
}
