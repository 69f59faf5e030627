#pragma once

#include <cstdint>
#include <string>

#include "common/QVRError.h"

// Errors of downloads that did not bring an answer, with the platform's domain and codes, so
// that callers (the rates, the cloud store) tell a timeout from a refused connection.
class QVRURLError {
 public:
  QVRURLError() = delete;

  static constexpr const char* domain = "NSURLErrorDomain";

  static constexpr std::int64_t unknown = -1;
  static constexpr std::int64_t cancelled = -999;
  static constexpr std::int64_t badURL = -1000;
  static constexpr std::int64_t timedOut = -1001;
  static constexpr std::int64_t unsupportedURL = -1002;
  static constexpr std::int64_t cannotFindHost = -1003;
  static constexpr std::int64_t cannotConnectToHost = -1004;
  static constexpr std::int64_t networkConnectionLost = -1005;
  static constexpr std::int64_t httpTooManyRedirects = -1007;
  static constexpr std::int64_t badServerResponse = -1011;
  static constexpr std::int64_t cannotDecodeContentData = -1016;
  static constexpr std::int64_t dataLengthExceedsMaximum = -1103;
  static constexpr std::int64_t secureConnectionFailed = -1200;
  static constexpr std::int64_t serverCertificateUntrusted = -1202;

  // An error of this domain whose text is the code's own, followed by `detail` (what the
  // transport said) after a colon when there is one.
  static QVRError make(std::int64_t code, const std::string& detail = {});
};
