#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "common/QVREnvironment.h"
#include "common/QVRFileUserDefaults.h"
#include "common/QVRMemoryPasteboard.h"
#include "common/QVRPollRunLoop.h"
#include "common/QVRStandardErrorLogSink.h"
#include "common/QVRUserLocale.h"

namespace {

std::filesystem::path homeDirectory() {
  const char* home = std::getenv("HOME");
  return home && *home ? std::filesystem::path(home) : std::filesystem::current_path();
}

std::filesystem::path xdgDirectory(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value && *value == '/') return value;
  return homeDirectory() / fallback;
}

std::filesystem::path applicationSupport() {
  const char* explicitRoot = std::getenv("TALLIX_APPLICATION_SUPPORT");
  if (explicitRoot && *explicitRoot) return std::filesystem::absolute(explicitRoot);
  return xdgDirectory("XDG_DATA_HOME", ".local/share") / "tallix";
}

// TALLIX_RESOURCES, else the installed share/tallix/resources beside the executable, else the
// source tree's resources.
std::optional<std::filesystem::path> resources() {
  std::error_code error;
  if (const char* explicitDirectory = std::getenv("TALLIX_RESOURCES");
      explicitDirectory && *explicitDirectory) {
    return std::filesystem::path(explicitDirectory);
  }
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    auto installed = executable.parent_path().parent_path() / "share/tallix/resources";
    if (std::filesystem::is_directory(installed / "en.lproj", error)) return installed;
  }
  std::filesystem::path source(TALLIX_SOURCE_RESOURCES);
  if (std::filesystem::is_directory(source / "en.lproj", error)) return source;
  return std::nullopt;
}

}  // namespace

std::unique_ptr<QVREnvironment> QVREnvironment::makeLive() {
  Parts parts;
  parts.userDefaults = std::make_unique<QVRFileUserDefaults>(
      QVRFileUserDefaults::defaultPath([](const char* name) { return std::getenv(name); }));
  parts.runLoop = std::make_unique<QVRPollRunLoop>();
  parts.pasteboard = std::make_unique<QVRMemoryPasteboard>();
  parts.logSinks.push_back(std::make_unique<QVRStandardErrorLogSink>());
  parts.loggingEnabled = std::getenv("TALLIX_VERBOSE") != nullptr;
  parts.localeIdentifier = QVRUserLocale::localeIdentifierFromEnvironment(
      [](const char* name) { return std::getenv(name); });
  parts.applicationSupportDirectory = applicationSupport();
  parts.documentsDirectory = parts.applicationSupportDirectory / "Documents";
  std::error_code noTemporary;
  parts.temporaryDirectory = std::filesystem::temp_directory_path(noTemporary);
  if (noTemporary) parts.temporaryDirectory = "/tmp";
  parts.resourcesDirectory = resources();
  return std::make_unique<QVREnvironment>(std::move(parts));
}
