#include "common/QVRConfiguration.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

#include "common/QVREnvironment.h"
#include "common/QVRFileReader.h"
#include "common/QVRLogger.h"
#include "common/QVRPropertyListReader.h"

namespace {

constexpr std::string_view kExtension = ".plist";

// The property list in the file at `path`, read without trusting its bytes.
QVRResult<std::optional<QVRPropertyList>, QVRError> readPropertyList(
    const std::filesystem::path& path) {
  auto contents = QVRFileReader::contentsOfFile(path);
  if (!contents.value) return {std::nullopt, contents.error};
  auto read = QVRPropertyListReader::propertyList(*contents.value);
  if (!read.value) {
    return {std::nullopt,
            read.error.value_or(QVRArchiveError::malformed("not a property list")).error()};
  }
  return {std::move(read.value), std::nullopt};
}

}  // namespace

QVRConfiguration::QVRConfiguration(std::optional<std::filesystem::path> bundledDirectory,
                                   std::optional<std::filesystem::path> userFile)
    : _bundledDirectory(std::move(bundledDirectory)), _userFile(std::move(userFile)) {}

QVRConfiguration& QVRConfiguration::sharedConfiguration() {
  QVREnvironment& environment = QVREnvironment::current();
  return environment.sharedInstance<QVRConfiguration>([&] {
    std::optional<std::filesystem::path> bundled;
    if (environment.resourcesDirectory())
      bundled = *environment.resourcesDirectory() / "Configuration";
    return std::make_unique<QVRConfiguration>(
        std::move(bundled), environment.applicationSupportDirectory() / userFileName);
  });
}

QVRResult<std::optional<QVRPropertyList::Dictionary>> QVRConfiguration::overridesFromData(
    std::span<const std::uint8_t> bytes) {
  auto read = QVRPropertyListReader::propertyList(bytes);
  if (!read.value) return {std::nullopt, read.error};
  if (QVRPropertyList::Dictionary* entries = read.value->dictionary()) {
    return {std::move(*entries), std::nullopt};
  }
  return {std::nullopt, QVRArchiveError::unexpectedRoot("the configuration is no dictionary")};
}

QVRConfiguration::Sources QVRConfiguration::readSources() const {
  Sources sources;
  if (_bundledDirectory) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(*_bundledDirectory, error), end;
         !error && entry != end; entry.increment(error)) {
      const std::string name = entry->path().filename().string();
      if (name.size() > kExtension.size() && name.ends_with(kExtension)) {
        sources.bundledFiles.emplace(name.substr(0, name.size() - kExtension.size()),
                                     entry->path());
      }
    }
  }
  if (_userFile) {
    auto contents = QVRFileReader::contentsOfFile(*_userFile);
    if (contents.value) {
      auto overrides = overridesFromData(*contents.value);
      if (overrides.value) {
        sources.overrides = std::move(*overrides.value);
      } else {
        QVRLogger::logError(
            overrides.error.value_or(QVRArchiveError::malformed("unreadable")).error(),
            "Ignoring configuration file " + _userFile->string());
      }
    } else if (contents.error && !QVRFileReader::isMissing(*contents.error)) {
      QVRLogger::logError(*contents.error, "Ignoring configuration file " + _userFile->string());
    }
  }
  return sources;
}

std::optional<QVRPropertyList> QVRConfiguration::readValue(const Sources& sources,
                                                           std::string_view key) {
  if (const auto found = sources.overrides.find(key); found != sources.overrides.end()) {
    return found->second;
  }
  const auto file = sources.bundledFiles.find(key);
  if (file == sources.bundledFiles.end()) return std::nullopt;
  auto read = readPropertyList(file->second);
  if (!read.value) {
    QVRLogger::logError(read.error.value_or(QVRError("", 0)),
                        "Ignoring bundled configuration " + file->second.filename().string());
  }
  return std::move(read.value);
}

QVRPropertyList::Dictionary QVRConfiguration::readValues() const {
  const Sources sources = readSources();
  std::set<std::string_view> keys;
  for (const auto& [key, path] : sources.bundledFiles) keys.insert(key);
  for (const auto& [key, value] : sources.overrides) keys.insert(key);
  QVRPropertyList::Dictionary result;
  for (std::string_view key : keys) {
    if (auto value = readValue(sources, key)) result.emplace(key, std::move(*value));
  }
  return result;
}

void QVRConfiguration::readKeyOnce(std::string_view key) {
  if (_complete || _readKeys.contains(key)) return;
  if (!_sources) _sources = readSources();
  _readKeys.emplace(key);
  if (auto value = readValue(*_sources, key)) _values.emplace(key, std::move(*value));
}

const QVRPropertyList::Dictionary& QVRConfiguration::values() {
  if (!_complete) {
    if (!_sources) _sources = readSources();
    for (const auto& [key, path] : _sources->bundledFiles) readKeyOnce(key);
    for (const auto& [key, value] : _sources->overrides) readKeyOnce(key);
    _complete = true;
    _sources.reset();
    _readKeys.clear();
  }
  return _values;
}

const QVRPropertyList* QVRConfiguration::objectForKey(std::string_view key) {
  readKeyOnce(key);
  const auto found = _values.find(key);
  return found == _values.end() ? nullptr : &found->second;
}

void QVRConfiguration::reload() {
  values();
  apply(readValues());
}

void QVRConfiguration::replaceValues(QVRPropertyList::Dictionary values) {
  this->values();
  apply(std::move(values));
}

void QVRConfiguration::setValue(std::string_view key, std::optional<QVRPropertyList> value) {
  QVRPropertyList::Dictionary updated = values();
  if (value) {
    updated.insert_or_assign(std::string(key), std::move(*value));
  } else if (const auto found = updated.find(key); found != updated.end()) {
    updated.erase(found);
  }
  apply(std::move(updated));
}

void QVRConfiguration::apply(QVRPropertyList::Dictionary values) {
  const bool changed = _values != values;
  _values = std::move(values);
  _complete = true;
  if (changed) QVREnvironment::current().notificationCenter().post(QVRConfigurationDidChange, this);
}
