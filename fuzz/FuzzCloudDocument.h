#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "../tests/support/QVRCKTestDocument.h"
#include "common/QVREnvironment.h"
#include "common/QVRFileReader.h"
#include "common/QVRMemoryLogSink.h"
#include "common/QVRMemoryPasteboard.h"
#include "common/QVRMemoryUserDefaults.h"
#include "common/QVRVirtualRunLoop.h"

// Shared by the fuzz targets of the cloud document's files: one test environment for the run
// (virtual time, a memory log emptied for each input), a document directory filled afresh for
// each input, and a document that reads it without talking to any cloud.
namespace FuzzCloudDocument {

inline QVREnvironment& environment() {
  static const std::unique_ptr<QVREnvironment> made = [] {
    auto environment = QVREnvironment::makeForTesting();
    // In memory when the system can: every input writes a few files.
    std::string pattern = "/dev/shm/tallix-fuzz-XXXXXX";
    if (::access("/dev/shm", W_OK) == 0 && ::mkdtemp(pattern.data())) {
      QVREnvironment::Parts parts;
      parts.userDefaults = std::make_unique<QVRMemoryUserDefaults>();
      parts.runLoop = std::make_unique<QVRVirtualRunLoop>();
      parts.pasteboard = std::make_unique<QVRMemoryPasteboard>();
      parts.logSinks.push_back(std::make_unique<QVRMemoryLogSink>());
      parts.loggingEnabled = true;
      parts.applicationSupportDirectory = std::filesystem::path(pattern) / "ApplicationSupport";
      parts.documentsDirectory = std::filesystem::path(pattern) / "Documents";
      parts.temporaryDirectory = std::filesystem::path(pattern) / "tmp";
      parts.ownedDirectories.push_back(pattern);
      environment = std::make_unique<QVREnvironment>(std::move(parts));
    }
    return environment;
  }();
  static const QVREnvironment::Installation installation(*made);
  return *made;
}

inline QVRVirtualRunLoop& runLoop() {
  return static_cast<QVRVirtualRunLoop&>(environment().runLoop());
}
inline QVRMemoryLogSink& log() {
  return *environment().memoryLogSink();
}

inline std::filesystem::path freshDirectory() {
  const auto directory = environment().documentsDirectory() / "Fuzz.doc";
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory);
  log().clear();
  return directory;
}

inline void put(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size) {
  std::ofstream stream(file, std::ios::binary);
  stream.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline QVRPropertyList::Data bytesOf(const std::filesystem::path& file) {
  return QVRFileReader::contentsOfFile(file).value.value_or(QVRPropertyList::Data{});
}

// The file that `name` was moved aside to, if any.
inline std::filesystem::path asideFile(const std::filesystem::path& directory,
                                       const std::string& name) {
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    if (entry.path().filename().string().rfind(name + ".unreadable-", 0) == 0) return entry.path();
  }
  return {};
}

// A document without a cloud, whose files are written without syncing (nothing here survives
// the process anyway).
inline std::unique_ptr<QVRCKTestDocument> makeDocument() {
  auto storage = QVRCKDocument::Storage::standard();
  storage.systemCalls.fsync = [](int) { return 0; };
  return std::make_unique<QVRCKTestDocument>("Fuzz.doc", nullptr, std::move(storage));
}

inline void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace FuzzCloudDocument
