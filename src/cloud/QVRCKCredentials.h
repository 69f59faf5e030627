#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// A user name and password for the WebDAV store, from the user's configuration or their
// ~/.netrc. They go into the Authorization header of requests and nowhere else: no description,
// log line or error text ever holds the password.
class QVRCKCredentials {
 public:
  QVRCKCredentials(std::string user, std::string password)
      : _user(std::move(user)), _password(std::move(password)) {}

  const std::string& user() const { return _user; }
  // "Basic " and the base64 of "user:password".
  std::string authorizationHeader() const;

  // The entry of `host` in the text of a netrc file ("machine HOST login USER password PASS",
  // tokens separated by blanks and line ends, quoted tokens allowed), else its "default" entry;
  // none when neither has a login. "macdef" bodies are skipped.
  static std::optional<QVRCKCredentials> fromNetrc(std::string_view text, std::string_view host);
  // The same for the file at `path` (none when there is none or it cannot be read).
  static std::optional<QVRCKCredentials> fromNetrcFile(const std::filesystem::path& path,
                                                       std::string_view host);

  friend bool operator==(const QVRCKCredentials&, const QVRCKCredentials&) = default;

 private:
  std::string _user;
  std::string _password;
};
