#include "common/QVRURLError.h"

namespace {

const char* text(std::int64_t code) {
  switch (code) {
    case QVRURLError::cancelled:
      return "The request was cancelled.";
    case QVRURLError::badURL:
      return "The URL or the request is malformed.";
    case QVRURLError::timedOut:
      return "The request timed out.";
    case QVRURLError::unsupportedURL:
      return "The URL's scheme is not supported.";
    case QVRURLError::cannotFindHost:
      return "The server's host name could not be found.";
    case QVRURLError::cannotConnectToHost:
      return "Could not connect to the server.";
    case QVRURLError::networkConnectionLost:
      return "The connection was lost.";
    case QVRURLError::httpTooManyRedirects:
      return "Too many redirects.";
    case QVRURLError::badServerResponse:
      return "The server's answer is malformed.";
    case QVRURLError::cannotDecodeContentData:
      return "The answer's encoding cannot be decoded.";
    case QVRURLError::dataLengthExceedsMaximum:
      return "The answer is too large.";
    case QVRURLError::secureConnectionFailed:
      return "A secure connection could not be made.";
    case QVRURLError::serverCertificateUntrusted:
      return "The server's certificate is not trusted.";
    default:
      return "The download failed.";
  }
}

}  // namespace

QVRError QVRURLError::make(std::int64_t code, const std::string& detail) {
  std::string description = text(code);
  if (!detail.empty()) description += ": " + detail;
  return QVRError(domain, code, std::move(description));
}
