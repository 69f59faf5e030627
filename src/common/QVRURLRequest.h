#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/QVRError.h"
#include "common/QVRHTTPResponse.h"

// A download of the common services (the conversion rates use it): set the URL and the
// response type, then start it; the completion runs exactly once, on the main thread (through
// the run loop of the environment that started it, installed again while it runs), with the
// response value or the error. The request is a value: it may go before the download ends.
class QVRURLRequest {
 public:
  // The body as text; a body that is not UTF-8 ends with undecodableText.
  static constexpr int responseTypeText = 0;
  // The body's bytes.
  static constexpr int responseTypeData = 1;

  // Errors of the request itself; transport errors (QVRURLError) pass through unchanged.
  static constexpr const char* errorDomain = "QVRURLRequestErrorDomain";
  static constexpr std::int64_t missingURL = 1;
  static constexpr std::int64_t undecodableText = 2;
  static constexpr std::int64_t unsupportedResponseType = 3;
  // An answer outside 200-299: the code is the status.
  static constexpr const char* statusErrorDomain = "QVRHTTPStatusErrorDomain";

  using Data = std::vector<std::uint8_t>;
  using Value = std::variant<std::string, Data>;
  using Completion = std::function<void(std::optional<Value> value, std::optional<QVRError> error)>;

  QVRURLRequest() = default;

  const std::optional<std::string>& url() const { return _url; }
  void setUrl(std::optional<std::string> url) { _url = std::move(url); }
  int responseType() const { return _responseType; }
  void setResponseType(int responseType) { _responseType = responseType; }
  // How long the whole download may take (connecting included) before it ends with
  // QVRURLError::timedOut; none leaves the transport's own limits.
  const std::optional<std::chrono::milliseconds>& timeoutInterval() const {
    return _timeoutInterval;
  }
  void setTimeoutInterval(std::optional<std::chrono::milliseconds> interval) {
    _timeoutInterval = interval;
  }

  // Starts the download on the current environment's transport.
  void start(Completion completion) const;

  // The response value of `response` for `responseType`, or the error: the status first, then
  // the type, then (for text) the encoding.
  static std::variant<Value, QVRError> responseValue(const QVRHTTPResponse& response,
                                                     int responseType);

  // "QVRURLRequest(GET url)", for the log.
  std::string description() const;

 private:
  std::optional<std::string> _url;
  int _responseType = responseTypeText;
  std::optional<std::chrono::milliseconds> _timeoutInterval;
};
