#include "common/QVRHTTPTransport.h"

#include <memory>

#include "common/QVRCurlHTTPTransport.h"
#include "common/QVREnvironment.h"

QVRHTTPTransport& QVRHTTPTransport::shared() {
  return QVREnvironment::current().sharedInstance<QVRHTTPTransport>(
      [] { return std::make_unique<QVRCurlHTTPTransport>(); });
}
