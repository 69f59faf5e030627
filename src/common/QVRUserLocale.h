#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The user's locale as the POSIX variables name it. LC_ALL wins over LC_NUMERIC, which wins over
// LANG; an empty variable counts as unset. "C" and "POSIX" are locales like any other (ICU's
// "en_US_POSIX"), so LC_ALL=C overrides a German LANG.
class QVRUserLocale {
 public:
  QVRUserLocale() = delete;

  using Lookup = std::function<const char*(const char*)>;

  // The ICU identifier of the locale that the variables name; "en_US" when none is set or the
  // one that wins names nothing readable.
  static std::string localeIdentifierFromEnvironment(const Lookup& getenv);
  // "de_DE.UTF-8@euro" gives "de_DE"; "C" and "POSIX" give "en_US_POSIX"; text that is no
  // locale name gives none.
  static std::optional<std::string> localeIdentifier(std::string_view posixName);
};
