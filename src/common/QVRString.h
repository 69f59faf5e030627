#pragma once

#include <string>
#include <string_view>

// Additions to strings of the common services.
class QVRString {
 public:
  QVRString() = delete;

  // A fresh random (version 4) UUID in the platform's upper-case form,
  // "E621E1F8-C36C-495A-93FC-0C247A3E6E5F", from the kernel's random source.
  static std::string uuid();

  // Whether `bytes` are well-formed UTF-8: no stray continuation byte, no truncated or
  // overlong sequence, no surrogate, nothing above U+10FFFF.
  static bool isValidUTF8(std::string_view bytes);
};
