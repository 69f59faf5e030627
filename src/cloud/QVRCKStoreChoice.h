#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cloud/QVRCKCredentials.h"
#include "common/QVRPropertyList.h"

class QVRCKCloudService;
class QVRPollRunLoop;

// Which cloud store stands behind the documents, as the user chose it in the configuration
// value "cloudStore":
// - absent, or "directory": the directory store in the application-support folder "CloudStore";
// - a path ("/…", or "~/…" in the home folder), or {"folder": path}: the directory store there
//   (a folder that a file-sync tool or a network mount shares between machines);
// - an http or https URL, or {"url": URL, "user": …, "password": …}: the WebDAV store in that
//   collection; without a user in the configuration, credentials come from ~/.netrc for the
//   URL's host (a user and password written into the URL are taken out of it);
// - "off": no store; documents stay local (the class-wide cloud switch is turned off).
// Anything else is refused with a reason and counts as off, so that a typo never sends the
// documents somewhere unintended. A value.
class QVRCKStoreChoice {
 public:
  enum class Kind { directory, webDAV, off };

  static constexpr std::string_view configurationKey = "cloudStore";
  static constexpr std::string_view defaultFolderName = "CloudStore";

  // The choice in `value` (the configuration's, or none). `home` is the user's home folder, for
  // "~/" paths and ~/.netrc.
  static QVRCKStoreChoice fromConfiguration(const QVRPropertyList* value,
                                            const std::filesystem::path& applicationSupport,
                                            const std::filesystem::path& home);

  // The choice of the current environment's configuration, with the home folder of $HOME.
  static QVRCKStoreChoice current();

  Kind kind() const { return _kind; }
  // The directory store's folder.
  const std::filesystem::path& folder() const { return _folder; }
  // The WebDAV collection's URL, without user information, ending with a slash.
  const std::string& url() const { return _url; }
  const std::optional<QVRCKCredentials>& credentials() const { return _credentials; }
  // Why the configured value was refused; none when it was not.
  const std::optional<std::string>& problem() const { return _problem; }

  // "directory store in /path", "WebDAV store at https://host/dav/ as user", "off", with the
  // reason when the value was refused. Never holds a password.
  std::string description() const;

  // Installs the chosen store in the current environment: a cloud service whose containers
  // share one database of the chosen kind (none and the cloud switch off for "off"). Pushes of
  // the directory store arrive on `pushLoop` when there is one.
  void install(QVRPollRunLoop* pushLoop) const;

 private:
  Kind _kind = Kind::off;
  std::filesystem::path _folder;
  std::string _url;
  std::optional<QVRCKCredentials> _credentials;
  std::optional<std::string> _problem;
};
