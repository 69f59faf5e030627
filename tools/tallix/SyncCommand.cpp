#include "tallix/SyncCommand.h"

#include <CLI/CLI.hpp>
#include <ctime>

#include "cloud/QVRCKDocument.h"
#include "cloud/QVRCKRecord.h"
#include "cloud/QVRCKStoreChoice.h"
#include "cloud/QVRCKSyncStatus.h"
#include "common/QVRData.h"
#include "common/QVREnvironment.h"
#include "common/QVRFileReader.h"
#include "common/QVRKeyedUnarchiver.h"

namespace tallix {

namespace {

constexpr std::string_view kUsageLine = "usage: tallix sync status";

std::string timeText(const std::optional<QVRCKSyncStatus::Clock::time_point>& time) {
  if (!time) return "never";
  const std::time_t seconds = QVRCKSyncStatus::Clock::to_time_t(*time);
  std::tm parts{};
  if (!gmtime_r(&seconds, &parts)) return "never";
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
  return std::string(text, length);
}

// Whether the directory's contents wait to be uploaded, as the document sees it when it starts:
// a contents file whose CRC differs from the checksum of the record file, or that has none.
std::string waiting(const std::filesystem::path& directory) {
  const auto contents = QVRFileReader::contentsOfFile(directory / "contents");
  if (!contents.value) return "no";
  const auto record = QVRKeyedUnarchiver::unarchiveObjectWithFile<QVRCKRecord>(
      directory / "record", QVRCKRecord::archiveClassNames());
  const auto* checksum =
      record.value ? record.value->propertyListForKey(QVRCKDocumentCheckumKey) : nullptr;
  const bool uploaded = checksum && checksum->integer() &&
                        *checksum->integer() == std::int64_t{QVRData::crc32(*contents.value)};
  return uploaded ? "no" : "yes";
}

}  // namespace

std::string SyncCommand::usage() const {
  return R"USAGE(usage: tallix sync status

Shows the cloud store that the configuration value "cloudStore" chooses (the directory
store by default, a folder, a WebDAV URL, or "off"), and for each synchronised document
(the tape, the custom constants) when it last polled the store, when it last uploaded,
and whether local changes wait to be uploaded. Only the local files are read.

Options:
  -h, --help   show this help

Exit status: 0 done; 2 bad usage.
)USAGE";
}

void SyncCommand::configure(CLI::App& command) {
  command.allow_extras();
  _command = &command;
}

std::string SyncCommand::documentStatus(const std::string& directory) {
  std::error_code error;
  if (!std::filesystem::is_directory(directory, error)) return "no local copy";
  const auto status =
      QVRCKSyncStatus::read(std::filesystem::path(directory) / QVRCKSyncStatus::fileName);
  return "last poll " + timeText(status.lastPoll) + ", last upload " + timeText(status.lastUpload) +
         ", waiting to upload: " + waiting(directory);
}

int SyncCommand::run(TallixIO& io) {
  const std::vector<std::string> arguments =
      _command ? _command->remaining() : std::vector<std::string>();
  if (arguments != std::vector<std::string>{"status"}) {
    io.writeError(std::string(arguments.empty() ? "tallix sync: expected a subcommand"
                                                : "tallix sync: unknown arguments") +
                  "\n" + std::string(kUsageLine) + "\n");
    return TallixExitCode::usage;
  }
  std::string text = "store: " + QVRCKStoreChoice::current().description() + "\n";
  const auto& documents = QVREnvironment::current().documentsDirectory();
  for (const auto name : documentNames) {
    text += std::string(name) + ": " + documentStatus((documents / name).string()) + "\n";
  }
  io.write(text);
  return TallixExitCode::success;
}

}  // namespace tallix
