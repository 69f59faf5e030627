#pragma once

#include <functional>
#include <variant>

#include "common/QVRError.h"
#include "common/QVRHTTPRequest.h"
#include "common/QVRHTTPResponse.h"

// The answer to a request, whatever its status, or the error that kept it from arriving.
using QVRHTTPOutcome = std::variant<QVRHTTPResponse, QVRError>;

// The environment's seam to the network: QVRURLRequest and the cloud store send through the
// shared transport; the live program's is QVRCurlHTTPTransport, a test's QVRStubHTTPTransport.
class QVRHTTPTransport {
 public:
  using Completion = std::function<void(QVRHTTPOutcome outcome)>;

  virtual ~QVRHTTPTransport() = default;

  // Sends `request` and calls `completion` exactly once, on any thread, when it ends. Never
  // blocks the caller on the network. A request that is not well formed ends with
  // QVRURLError::badURL.
  virtual void fetch(QVRHTTPRequest request, Completion completion) = 0;

  // The current environment's transport, made on first use (QVRCurlHTTPTransport); a test
  // replaces it with setSharedInstance<QVRHTTPTransport>. Main thread only, like every shared
  // instance.
  static QVRHTTPTransport& shared();
};
