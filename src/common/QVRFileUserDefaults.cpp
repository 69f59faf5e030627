#include "common/QVRFileUserDefaults.h"

#include <string>
#include <system_error>

#include "common/QVREnvironment.h"
#include "common/QVRFileReader.h"
#include "common/QVRFileWriter.h"
#include "common/QVRLogger.h"
#include "common/QVRPropertyListReader.h"
#include "common/QVRPropertyListWriter.h"
#include "common/QVRRunLoop.h"

namespace {

std::filesystem::path absolutePath(const std::filesystem::path& path) {
  std::error_code error;
  auto result = std::filesystem::absolute(path, error);
  return error ? path : result;
}

}  // namespace

QVRFileUserDefaults::QVRFileUserDefaults(std::filesystem::path path) : _path(std::move(path)) {}

std::filesystem::path QVRFileUserDefaults::defaultPath(const QVRUserLocale::Lookup& getenv) {
  const auto variable = [&](const char* name) -> std::string {
    const char* value = getenv(name);
    return value ? value : "";
  };
  if (const std::string root = variable("TALLIX_APPLICATION_SUPPORT"); !root.empty()) {
    return absolutePath(root) / "defaults.plist";
  }
  std::filesystem::path configuration;
  if (const std::string xdg = variable("XDG_CONFIG_HOME"); !xdg.empty() && xdg.front() == '/') {
    configuration = xdg;
  } else {
    const std::string home = variable("HOME");
    configuration = absolutePath(std::filesystem::path(home.empty() ? "." : home)) / ".config";
  }
  return configuration / "tallix" / "defaults.plist";
}

QVRResult<std::optional<QVRPropertyList::Dictionary>> QVRFileUserDefaults::dictionaryFromData(
    std::span<const std::uint8_t> bytes) {
  auto read = QVRPropertyListReader::propertyList(bytes);
  if (!read.value) return {std::nullopt, read.error};
  if (QVRPropertyList::Dictionary* entries = read.value->dictionary()) {
    return {std::move(*entries), std::nullopt};
  }
  return {std::nullopt, QVRArchiveError::unexpectedRoot("the defaults are no dictionary")};
}

bool QVRFileUserDefaults::isWritable() const {
  load();
  return _writable;
}

void QVRFileUserDefaults::load() const {
  if (_loaded) return;
  _loaded = true;
  auto contents = QVRFileReader::contentsOfFile(_path);
  if (!contents.value) {
    if (contents.error && !QVRFileReader::isMissing(*contents.error)) {
      _writable = false;
      QVRLogger::logError(*contents.error, "Reading user defaults " + _path.string() +
                                               "; changes will not be saved");
    }
    return;
  }
  auto read = dictionaryFromData(*contents.value);
  if (read.value) {
    _values = std::move(*read.value);
    return;
  }
  moveAside(read.error.value_or(QVRArchiveError::malformed("unreadable")));
}

void QVRFileUserDefaults::moveAside(const QVRArchiveError& error) const {
  const auto moved =
      QVRFileWriter::moveAside(_path, "corrupt", QVREnvironment::current().runLoop().now());
  QVRLogger::logError(error.error(), "Moving unreadable user defaults " + _path.string() +
                                         " aside to " + moved.path.string());
  if (moved.error) {
    _writable = false;
    QVRLogger::logError(*moved.error, "Keeping unreadable user defaults " + _path.string() +
                                          "; changes will not be saved");
  }
}

void QVRFileUserDefaults::save() {
  if (!_writable) return;
  auto data = QVRPropertyListWriter::dataFromPropertyList(QVRPropertyList(_values),
                                                          QVRPropertyListWriter::Format::xml);
  std::optional<QVRError> failure = std::move(data.error);
  if (data.value) failure = QVRFileWriter::writeAtomically(_path, *data.value);
  if (failure) QVRLogger::logError(*failure, "Writing user defaults " + _path.string());
}

std::optional<QVRPropertyList> QVRFileUserDefaults::objectForKey(std::string_view key) const {
  load();
  const auto found = _values.find(key);
  if (found == _values.end()) return std::nullopt;
  return found->second;
}

void QVRFileUserDefaults::setObject(std::string_view key, QVRPropertyList value) {
  load();
  const auto found = _values.find(key);
  if (found != _values.end() && found->second == value) return;
  _values.insert_or_assign(std::string(key), std::move(value));
  save();
}

void QVRFileUserDefaults::removeObjectForKey(std::string_view key) {
  load();
  const auto found = _values.find(key);
  if (found == _values.end()) return;
  _values.erase(found);
  save();
}
