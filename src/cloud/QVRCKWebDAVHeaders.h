#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

// Readers of the header values that the WebDAV store acts on. They take the bytes of any server
// and answer none for anything that is not exactly of the expected form.
class QVRCKWebDAVHeaders {
 public:
  QVRCKWebDAVHeaders() = delete;

  struct EntityTag {
    // The tag as sent, quotes included ("\"abc\""), without the weak prefix.
    std::string opaqueTag;
    bool weak = false;
  };

  // An ETag value: `"…"` or `W/"…"` with the characters RFC 9110 allows between the quotes,
  // blanks around it ignored.
  static std::optional<EntityTag> entityTag(std::string_view value);
  // The lock token of a Lock-Token value, `<token>` (a Coded-URL): the text between the angle
  // brackets, which must be a URI without blanks or angle brackets.
  static std::optional<std::string> lockToken(std::string_view value);
  // An HTTP date in the preferred form, "Sun, 06 Nov 1994 08:49:37 GMT", as the servers send it
  // in Date and getlastmodified; none for a date the system clock cannot hold (past 2262).
  static std::optional<std::chrono::system_clock::time_point> httpDate(std::string_view value);
};
