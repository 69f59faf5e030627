#pragma once

#include <string>
#include <string_view>

#include "common/QVRHTTPHeaders.h"

// What a server answered: the status, the header fields of the final answer (after redirects)
// and the body's bytes.
struct QVRHTTPResponse {
  long statusCode = 200;
  QVRHTTPHeaders headers;
  std::string body;

  bool isSuccess() const { return statusCode >= 200 && statusCode < 300; }

  // Takes one header line as it came from the server (line break included or not). A status
  // line ("HTTP/1.1 302 Found") starts a new answer, after a redirect or an interim 100, and
  // drops the fields collected so far; a line that begins with a blank continues the last
  // field; lines without a colon or with an invalid name are skipped.
  void addHeaderLine(std::string_view line);

  friend bool operator==(const QVRHTTPResponse&, const QVRHTTPResponse&) = default;
};
