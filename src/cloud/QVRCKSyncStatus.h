#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

#include "common/QVRError.h"
#include "common/QVRFileWriter.h"

// When a document last heard from its store and when it last uploaded, kept beside its files so
// that `tallix sync status` can tell without the document: "syncStatus" in the document's
// directory, an XML property list with the dates "lastPoll" (a poll that got the server's answer,
// a record or none) and "lastUpload" (a save the store accepted). A value.
struct QVRCKSyncStatus {
  using Clock = std::chrono::system_clock;

  static constexpr std::string_view fileName = "syncStatus";

  std::optional<Clock::time_point> lastPoll;
  std::optional<Clock::time_point> lastUpload;

  // The file's dates; none of them for a missing or unreadable file, or one not of this shape.
  static QVRCKSyncStatus read(const std::filesystem::path& file);
  // The same for the file's bytes.
  static QVRCKSyncStatus fromData(std::span<const std::uint8_t> bytes);
  // Written atomically; none on success.
  std::optional<QVRError> write(const std::filesystem::path& file,
                                const QVRFileWriter::SystemCalls& calls) const;

  friend bool operator==(const QVRCKSyncStatus&, const QVRCKSyncStatus&) = default;
};
