#include "common/QVREnvironment.h"

#include <algorithm>
#include <system_error>

#include "common/QVRLogSink.h"
#include "common/QVRMemoryLogSink.h"
#include "common/QVRPasteboard.h"
#include "common/QVRRunLoop.h"
#include "common/QVRUserDefaults.h"

namespace {

// The installed environment and the live one made when none was installed. Function-local, so
// that nothing runs before main() and the order of static initialisation cannot matter.
QVREnvironment*& installedEnvironment() {
  static QVREnvironment* installed = nullptr;
  return installed;
}

}  // namespace

QVREnvironment::QVREnvironment(Parts parts) : _parts(std::move(parts)) {}

QVREnvironment::~QVREnvironment() {
  // Shared instances may use the environment while they go (a last save), newest first.
  while (!_shared.empty()) {
    Holder holder = std::move(_shared.back().second);
    _shared.pop_back();
    holder.reset();
  }
  if (installedEnvironment() == this) installedEnvironment() = nullptr;
  for (const auto& directory : _parts.ownedDirectories) {
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
  }
}

QVREnvironment& QVREnvironment::current() {
  QVREnvironment*& installed = installedEnvironment();
  if (!installed) {
    static std::unique_ptr<QVREnvironment> live = makeLive();
    installed = live.get();
  }
  return *installed;
}

bool QVREnvironment::hasCurrent() {
  return installedEnvironment() != nullptr;
}

QVREnvironment::Installation::Installation(QVREnvironment& environment)
    : _previous(installedEnvironment()) {
  installedEnvironment() = &environment;
}

QVREnvironment::Installation::~Installation() {
  installedEnvironment() = _previous;
}

std::vector<QVRLogSink*> QVREnvironment::logSinks() const {
  std::vector<QVRLogSink*> sinks;
  sinks.reserve(_parts.logSinks.size());
  for (const auto& sink : _parts.logSinks) sinks.push_back(sink.get());
  return sinks;
}

void QVREnvironment::addLogSink(std::unique_ptr<QVRLogSink> sink) {
  _parts.logSinks.push_back(std::move(sink));
}

QVRMemoryLogSink* QVREnvironment::memoryLogSink() const {
  for (const auto& sink : _parts.logSinks) {
    if (auto* memory = dynamic_cast<QVRMemoryLogSink*>(sink.get())) return memory;
  }
  return nullptr;
}

const std::filesystem::path& QVREnvironment::applicationSupportDirectory() {
  if (!_applicationSupportMade) {
    std::error_code ignored;
    std::filesystem::create_directories(_parts.applicationSupportDirectory, ignored);
    _applicationSupportMade = true;
  }
  return _parts.applicationSupportDirectory;
}

const std::filesystem::path& QVREnvironment::temporaryDirectory() {
  if (!_temporaryDirectoryMade) {
    std::error_code ignored;
    std::filesystem::create_directories(_parts.temporaryDirectory, ignored);
    _temporaryDirectoryMade = true;
  }
  return _parts.temporaryDirectory;
}

void QVREnvironment::removeShared(std::type_index type) {
  auto found = std::find_if(_shared.begin(), _shared.end(),
                            [&](const auto& entry) { return entry.first == type; });
  if (found != _shared.end()) {
    Holder holder = std::move(found->second);
    _shared.erase(found);
  }
}
