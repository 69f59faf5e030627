#include "cloud/QVRCKSyncStatus.h"

#include <cmath>

#include "common/QVRFileReader.h"
#include "common/QVRPropertyList.h"
#include "common/QVRPropertyListReader.h"
#include "common/QVRPropertyListWriter.h"

namespace {

// Property-list dates count from 2001-01-01 00:00:00 UTC.
constexpr double kReferenceDate = 978'307'200;
// The clock counts nanoseconds: about 292 years either side of 1970.
constexpr double kLargestSeconds = 9.0e9;

std::optional<QVRCKSyncStatus::Clock::time_point> timeOf(const QVRPropertyList::Dictionary& values,
                                                         std::string_view key) {
  const auto found = values.find(key);
  const auto* date = found == values.end() ? nullptr : found->second.date();
  if (!date || !std::isfinite(date->secondsSinceReferenceDate) ||
      std::fabs(date->secondsSinceReferenceDate + kReferenceDate) > kLargestSeconds) {
    return std::nullopt;
  }
  const auto milliseconds =
      static_cast<std::int64_t>((date->secondsSinceReferenceDate + kReferenceDate) * 1000);
  return QVRCKSyncStatus::Clock::time_point(
      std::chrono::duration_cast<QVRCKSyncStatus::Clock::duration>(
          std::chrono::milliseconds(milliseconds)));
}

QVRPropertyList dateOf(QVRCKSyncStatus::Clock::time_point time) {
  const double seconds =
      std::chrono::duration<double>(time.time_since_epoch()).count() - kReferenceDate;
  return QVRPropertyList(QVRPropertyList::Date{seconds});
}

}  // namespace

QVRCKSyncStatus QVRCKSyncStatus::read(const std::filesystem::path& file) {
  auto bytes = QVRFileReader::contentsOfFile(file, 64 * 1024);
  return bytes.value ? fromData(*bytes.value) : QVRCKSyncStatus();
}

QVRCKSyncStatus QVRCKSyncStatus::fromData(std::span<const std::uint8_t> bytes) {
  QVRCKSyncStatus status;
  const auto read = QVRPropertyListReader::propertyList(bytes);
  const auto* values = read.value ? read.value->dictionary() : nullptr;
  if (!values) return status;
  status.lastPoll = timeOf(*values, "lastPoll");
  status.lastUpload = timeOf(*values, "lastUpload");
  return status;
}

std::optional<QVRError> QVRCKSyncStatus::write(const std::filesystem::path& file,
                                               const QVRFileWriter::SystemCalls& calls) const {
  QVRPropertyList::Dictionary values;
  if (lastPoll) values.emplace("lastPoll", dateOf(*lastPoll));
  if (lastUpload) values.emplace("lastUpload", dateOf(*lastUpload));
  auto bytes = QVRPropertyListWriter::dataFromPropertyList(QVRPropertyList(std::move(values)),
                                                           QVRPropertyListWriter::Format::xml);
  if (!bytes.value) return bytes.error;
  return QVRFileWriter::writeAtomically(file, *bytes.value, calls);
}
