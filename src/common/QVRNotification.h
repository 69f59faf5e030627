#pragma once

#include <any>
#include <map>
#include <string>
#include <string_view>

// The user info of a notification: a few named values (an error, a key).
using QVRUserInfo = std::map<std::string, std::any, std::less<>>;

// One posted notification: its name, the object it is about (none: no object) and its user info.
struct QVRNotification {
  std::string_view name;
  const void* object = nullptr;
  const QVRUserInfo* userInfo = nullptr;

  // The value under `key` in the user info, when there is one of type T.
  template <class T>
  const T* userInfoValue(std::string_view key) const {
    if (!userInfo) return nullptr;
    auto found = userInfo->find(key);
    return found == userInfo->end() ? nullptr : std::any_cast<T>(&found->second);
  }
};
