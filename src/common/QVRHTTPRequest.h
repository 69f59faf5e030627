#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "common/QVRHTTPHeaders.h"

// One HTTP request as a transport sends it: any method (GET, PUT, PROPFIND, MKCOL...), the URL,
// header fields (If-Match, Depth...) and a body. Timeouts left empty take the transport's.
struct QVRHTTPRequest {
  std::string method = "GET";
  std::string url;
  QVRHTTPHeaders headers;
  std::string body;
  std::optional<std::chrono::milliseconds> connectTimeout;
  std::optional<std::chrono::milliseconds> totalTimeout;

  // "METHOD url", for the log.
  std::string description() const { return method + " " + url; }
  // Whether the method is a token and every header field may be sent as it is.
  bool isWellFormed() const;
};
