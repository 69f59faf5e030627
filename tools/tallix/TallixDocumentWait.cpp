#include "tallix/TallixDocumentWait.h"

#include <algorithm>
#include <array>

#include "cloud/QVRCKDocument.h"
#include "common/QVREnvironment.h"
#include "common/QVRPollRunLoop.h"
#include "common/QVRRunLoop.h"
#include "constants/QVRTallixConstantNumbersDocument.h"
#include "tape/QVRTallixTape.h"

namespace tallix {

void TallixDocumentWait::whileBusy(const std::function<bool()>& busy) {
  auto* loop = dynamic_cast<QVRPollRunLoop*>(&QVREnvironment::current().runLoop());
  if (!loop) return;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (busy() && std::chrono::steady_clock::now() < deadline) {
    loop->runOnce(std::chrono::milliseconds(50));
  }
}

void TallixDocumentWait::untilPolled(const QVRCKDocument& document) {
  whileBusy([&document] { return document.isPolling(); });
}

void TallixDocumentWait::terminate() {
  QVREnvironment& environment = QVREnvironment::current();
  const std::array<const QVRCKDocument*, 2> documents{
      environment.existingSharedInstance<QVRTallixTape>(),
      environment.existingSharedInstance<detail::QVRTallixConstantNumbersDocument>()};
  whileBusy([&] {
    return std::ranges::any_of(documents,
                               [](auto* document) { return document && document->isPolling(); });
  });
  environment.runLoop().terminate();
  whileBusy([&] {
    return std::ranges::any_of(documents,
                               [](auto* document) { return document && document->isPosting(); });
  });
}

}  // namespace tallix
