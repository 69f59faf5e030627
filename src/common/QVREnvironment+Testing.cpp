#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/QVREnvironment.h"
#include "common/QVRException.h"
#include "common/QVRMemoryLogSink.h"
#include "common/QVRMemoryPasteboard.h"
#include "common/QVRMemoryUserDefaults.h"
#include "common/QVRStandardErrorLogSink.h"
#include "common/QVRStubHTTPTransport.h"
#include "common/QVRVirtualRunLoop.h"

namespace {

std::filesystem::path makeTemporaryDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tallix-tests-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    throw QVRException("NSInternalInconsistencyException", "no temporary directory for a test");
  }
  return pattern;
}

}  // namespace

std::unique_ptr<QVREnvironment> QVREnvironment::makeForTesting(std::string localeIdentifier,
                                                               bool echoLog) {
  Parts parts;
  parts.userDefaults = std::make_unique<QVRMemoryUserDefaults>();
  parts.runLoop = std::make_unique<QVRVirtualRunLoop>();
  parts.pasteboard = std::make_unique<QVRMemoryPasteboard>();
  parts.logSinks.push_back(std::make_unique<QVRMemoryLogSink>());
  if (echoLog) parts.logSinks.push_back(std::make_unique<QVRStandardErrorLogSink>());
  parts.loggingEnabled = true;
  parts.localeIdentifier = std::move(localeIdentifier);
  const std::filesystem::path root = makeTemporaryDirectory();
  parts.applicationSupportDirectory = root / "ApplicationSupport";
  parts.documentsDirectory = root / "Documents";
  parts.temporaryDirectory = root / "tmp";
  parts.resourcesDirectory = std::filesystem::path(TALLIX_SOURCE_RESOURCES);
  parts.ownedDirectories.push_back(root);
  auto environment = std::make_unique<QVREnvironment>(std::move(parts));
  // No test reaches the network unless it installs a live transport itself.
  environment->setSharedInstance<QVRHTTPTransport>(std::make_unique<QVRStubHTTPTransport>());
  return environment;
}
