#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "common/QVRResult.h"
#include "common/QVRUserDefaults.h"
#include "common/QVRUserLocale.h"

// The user defaults of the running program: a dictionary in an XML property list at a path,
// read once (on first use, when the environment that owns it is installed and can log) through
// the checked reader, and written whole, atomically, by every setter that changes a value.
//
// A file that cannot be read as a dictionary is logged and kept aside as
// "<name>.corrupt-<UTC time>" before the defaults start empty; if it cannot be moved aside, the
// defaults stay in memory only, so that nothing the user had is silently overwritten. A failed
// write is logged; the value stays in memory for the rest of the run.
class QVRFileUserDefaults final : public QVRUserDefaults {
 public:
  explicit QVRFileUserDefaults(std::filesystem::path path);
  // Identity object: the one writer of its file (two would overwrite each other's changes).
  QVRFileUserDefaults(const QVRFileUserDefaults&) = delete;
  QVRFileUserDefaults& operator=(const QVRFileUserDefaults&) = delete;

  // "<TALLIX_APPLICATION_SUPPORT>/defaults.plist" when that variable moves the data root, else
  // "$XDG_CONFIG_HOME/tallix/defaults.plist" (an absolute XDG_CONFIG_HOME), else
  // "~/.config/tallix/defaults.plist".
  static std::filesystem::path defaultPath(const QVRUserLocale::Lookup& getenv);
  // The checked reading of a defaults file's bytes: a dictionary, or why not.
  static QVRResult<std::optional<QVRPropertyList::Dictionary>> dictionaryFromData(
      std::span<const std::uint8_t> bytes);

  const std::filesystem::path& path() const { return _path; }
  // Whether changes reach the file (false after an unreadable file could not be moved aside).
  bool isWritable() const;

  std::optional<QVRPropertyList> objectForKey(std::string_view key) const override;
  void setObject(std::string_view key, QVRPropertyList value) override;
  void removeObjectForKey(std::string_view key) override;

 private:
  void load() const;
  void moveAside(const QVRArchiveError& error) const;
  void save();

  std::filesystem::path _path;
  // Filled on first use (hence mutable: reading is a const operation for callers).
  mutable bool _loaded = false;
  mutable bool _writable = true;
  mutable QVRPropertyList::Dictionary _values;
};
