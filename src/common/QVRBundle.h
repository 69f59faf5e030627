#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRStringsTableParser.h"

// The library's bundle: its resources folder (strings tables, configuration) and its localised
// texts. `localizedString` looks a key up in "<localization>.lproj/<table>.strings" for the
// user's localizations in order and answers the key itself when no table has it (every lookup
// passes an empty default). Tables are read once and kept with the bundle, which is a shared
// instance of the environment.
class QVRBundle {
 public:
  static constexpr std::string_view defaultTable = "Localizable";

  // `localeIdentifier` answers the user's locale ("en_US") whenever texts are looked up.
  QVRBundle(std::optional<std::filesystem::path> resourcesDirectory,
            std::function<std::string()> localeIdentifier);
  // Identity object: it caches the tables it has read.
  QVRBundle(const QVRBundle&) = delete;
  QVRBundle& operator=(const QVRBundle&) = delete;

  // The bundle of the current environment.
  static QVRBundle& mainBundle();

  // None when the resources were not found (texts then fall back to their keys).
  const std::optional<std::filesystem::path>& resourcesDirectory() const {
    return _resourcesDirectory;
  }
  // The application's own support directory, made when missing (the environment's).
  const std::filesystem::path& applicationSupportDirectory() const;

  std::string localizedString(std::string_view key, std::string_view table = defaultTable);
  // Looked up in the given localizations, in order.
  std::string localizedString(std::string_view key, std::string_view table,
                              const std::vector<std::string>& localizations);

  // For the current locale: "<language>-<REGION>" and "<language>" when the resources hold
  // them, then "en".
  std::vector<std::string> preferredLocalizations();
  // Whether the resources hold "<localization>.lproj".
  bool hasLocalization(std::string_view localization) const;

  // The language and region of an ICU locale identifier: "de_CH" gives ("de", "CH"),
  // "zh_Hant_TW" ("zh", "TW"), "fr" ("fr", none).
  static std::pair<std::string, std::optional<std::string>> languageAndRegion(
      std::string_view localeIdentifier);

 private:
  const QVRStringsTableParser::Table& table(const std::string& localization, std::string_view name);

  std::optional<std::filesystem::path> _resourcesDirectory;
  std::function<std::string()> _localeIdentifier;
  std::map<std::string, std::vector<std::string>, std::less<>> _localizations;
  std::map<std::string, QVRStringsTableParser::Table, std::less<>> _tables;
};
