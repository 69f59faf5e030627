#include "common/QVRBundle.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "common/QVREnvironment.h"
#include "common/QVRFileReader.h"
#include "common/QVRLogger.h"

namespace {

constexpr std::string_view kDevelopmentLocalization = "en";

bool isLetters(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char character) {
    return std::isalpha(static_cast<unsigned char>(character)) != 0;
  });
}

bool isDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char character) {
    return std::isdigit(static_cast<unsigned char>(character)) != 0;
  });
}

}  // namespace

QVRBundle::QVRBundle(std::optional<std::filesystem::path> resourcesDirectory,
                     std::function<std::string()> localeIdentifier)
    : _resourcesDirectory(std::move(resourcesDirectory)),
      _localeIdentifier(std::move(localeIdentifier)) {}

QVRBundle& QVRBundle::mainBundle() {
  QVREnvironment& environment = QVREnvironment::current();
  return environment.sharedInstance<QVRBundle>([&] {
    return std::make_unique<QVRBundle>(environment.resourcesDirectory(),
                                       [&environment] { return environment.localeIdentifier(); });
  });
}

const std::filesystem::path& QVRBundle::applicationSupportDirectory() const {
  return QVREnvironment::current().applicationSupportDirectory();
}

std::pair<std::string, std::optional<std::string>> QVRBundle::languageAndRegion(
    std::string_view localeIdentifier) {
  // Only the name proper: "de_DE@currency=EUR" and "de_DE.UTF-8" are de_DE.
  localeIdentifier = localeIdentifier.substr(0, localeIdentifier.find_first_of("@."));
  std::vector<std::string_view> parts;
  while (!localeIdentifier.empty()) {
    const std::size_t end = localeIdentifier.find_first_of("_-");
    parts.push_back(localeIdentifier.substr(0, end));
    if (end == std::string_view::npos) break;
    localeIdentifier.remove_prefix(end + 1);
  }
  if (parts.empty() || parts.front().empty()) return {"", std::nullopt};
  std::string language(parts.front());
  std::transform(language.begin(), language.end(), language.begin(), [](char character) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
  });
  for (std::size_t index = 1; index < parts.size() && index <= 2; ++index) {
    const std::string_view part = parts[index];
    if ((part.size() == 2 && isLetters(part)) || (part.size() == 3 && isDigits(part))) {
      std::string region(part);
      std::transform(region.begin(), region.end(), region.begin(), [](char character) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
      });
      return {language, region};
    }
    // A four-letter script may stand between the language and the region.
    if (part.size() != 4 || !isLetters(part)) break;
  }
  return {language, std::nullopt};
}

bool QVRBundle::hasLocalization(std::string_view localization) const {
  if (!_resourcesDirectory || localization.empty()) return false;
  std::error_code error;
  return std::filesystem::is_directory(
      *_resourcesDirectory / (std::string(localization) + ".lproj"), error);
}

std::vector<std::string> QVRBundle::preferredLocalizations() {
  const std::string identifier = _localeIdentifier ? _localeIdentifier() : std::string();
  if (const auto found = _localizations.find(identifier); found != _localizations.end()) {
    return found->second;
  }
  std::vector<std::string> result;
  const auto add = [&](const std::string& localization) {
    if (std::find(result.begin(), result.end(), localization) == result.end()) {
      result.push_back(localization);
    }
  };
  const auto [language, region] = languageAndRegion(identifier);
  if (region && hasLocalization(language + "-" + *region)) add(language + "-" + *region);
  if (hasLocalization(language)) add(language);
  add(std::string(kDevelopmentLocalization));
  _localizations.emplace(identifier, result);
  return result;
}

const QVRStringsTableParser::Table& QVRBundle::table(const std::string& localization,
                                                     std::string_view name) {
  const std::string key = localization + ".lproj/" + std::string(name) + ".strings";
  if (const auto found = _tables.find(key); found != _tables.end()) return found->second;
  QVRStringsTableParser::Table strings;
  // A table name is a file name of its own; anything else names no table.
  const bool plainName =
      !name.empty() && name.find('/') == std::string_view::npos && name != "." && name != "..";
  if (_resourcesDirectory && plainName) {
    const std::filesystem::path path = *_resourcesDirectory / key;
    auto contents = QVRFileReader::contentsOfFile(path);
    if (contents.value) {
      auto parsed = QVRStringsTableParser::table(*contents.value);
      if (parsed.value) {
        strings = std::move(*parsed.value);
      } else {
        QVRLogger::logError(parsed.error.value_or(QVRArchiveError::malformed("")).error(),
                            "Reading strings table " + path.string());
      }
    } else if (contents.error && !QVRFileReader::isMissing(*contents.error)) {
      QVRLogger::logError(*contents.error, "Reading strings table " + path.string());
    }
  }
  return _tables.emplace(key, std::move(strings)).first->second;
}

std::string QVRBundle::localizedString(std::string_view key, std::string_view table) {
  return localizedString(key, table, preferredLocalizations());
}

std::string QVRBundle::localizedString(std::string_view key, std::string_view tableName,
                                       const std::vector<std::string>& localizations) {
  for (const auto& localization : localizations) {
    const auto& strings = table(localization, tableName);
    if (const auto found = strings.find(key); found != strings.end()) return found->second;
  }
  return std::string(key);
}
