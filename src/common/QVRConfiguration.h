#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "common/QVRPropertyList.h"
#include "common/QVRResult.h"

// Announces new configuration values; the object is the configuration.
inline constexpr std::string_view QVRConfigurationDidChange = "QVRConfigurationDidChange";

// The configuration of the common services: keyed values such as "categories" (the unit
// catalogue) and "constants" (the built-in constants).
//
// Values come from a bundled folder with one property-list file per key (the file
// "categories.plist" holds the value of "categories"), overridden key by key by the user's file
// "Configuration.plist" in the application-support directory (a dictionary). They are read on
// first use. A file that cannot be read (malformed, hostile, or a user file that is no
// dictionary) is logged and left out: a bundled file's key then has no value, and without the
// user's file the bundled values stand.
//
// A key is read when it is first asked for (the unit catalogue's file alone takes longer to parse
// than a calculation, and most runs never need it); values() and the changes read them all.
class QVRConfiguration {
 public:
  static constexpr std::string_view userFileName = "Configuration.plist";

  // None for either source leaves it out.
  QVRConfiguration(std::optional<std::filesystem::path> bundledDirectory,
                   std::optional<std::filesystem::path> userFile);
  // Identity object: it is the object of its change notification.
  QVRConfiguration(const QVRConfiguration&) = delete;
  QVRConfiguration& operator=(const QVRConfiguration&) = delete;

  // The configuration of the current environment: the resources' "Configuration" folder and the
  // user's file in the application-support directory.
  static QVRConfiguration& sharedConfiguration();

  // The value under `key`, or none; valid until the values change.
  const QVRPropertyList* objectForKey(std::string_view key);
  const QVRPropertyList::Dictionary& values();

  // Reads the files again; posts QVRConfigurationDidChange when a value changed.
  void reload();
  // Replaces every value (a test's or an embedding program's own configuration); posts
  // QVRConfigurationDidChange when a value changed.
  void replaceValues(QVRPropertyList::Dictionary values);
  // Sets one value (none removes it); posts QVRConfigurationDidChange when it changed.
  void setValue(std::string_view key, std::optional<QVRPropertyList> value);

  // The checked reading of a user configuration file's bytes: a dictionary, or why not.
  static QVRResult<std::optional<QVRPropertyList::Dictionary>> overridesFromData(
      std::span<const std::uint8_t> bytes);

 private:
  // Where the values come from: the bundled file of each key and the user's overrides (read).
  struct Sources {
    std::map<std::string, std::filesystem::path, std::less<>> bundledFiles;
    QVRPropertyList::Dictionary overrides;
  };
  Sources readSources() const;
  // The value of `key` from `sources`, the override first; none (logged when a file fails).
  static std::optional<QVRPropertyList> readValue(const Sources& sources, std::string_view key);
  QVRPropertyList::Dictionary readValues() const;
  // Reads `key` into the values unless it was read before or all of them were.
  void readKeyOnce(std::string_view key);
  void apply(QVRPropertyList::Dictionary values);

  std::optional<std::filesystem::path> _bundledDirectory;
  std::optional<std::filesystem::path> _userFile;
  // Read so far: every value once `_complete`, else those of `_readKeys`.
  QVRPropertyList::Dictionary _values;
  bool _complete = false;
  std::optional<Sources> _sources;
  std::set<std::string, std::less<>> _readKeys;
};
