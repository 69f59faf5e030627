#pragma once

#include <curl/curl.h>

#include <string>

// libcurl, loaded by the first transfer rather than linked: the library and the thirty it
// brings (TLS, Kerberos, LDAP, SSH, IDN) took more time at every start of the program than a
// calculation does, and most runs never go online.
//
// The functions are the library's own, reached through pointers; the library stays loaded for
// the life of the process.
struct QVRCurlLibrary {
  // The process-wide library, loaded on the first call (thread-safe); none when it cannot be
  // loaded or lacks a function, with the reason in `error` (the same reason on every call).
  static const QVRCurlLibrary* shared(std::string* error);

  decltype(&::curl_global_init) globalInit = nullptr;
  decltype(&::curl_global_cleanup) globalCleanup = nullptr;
  decltype(&::curl_easy_init) easyInit = nullptr;
  decltype(&::curl_easy_cleanup) easyCleanup = nullptr;
  decltype(&::curl_easy_setopt) easySetopt = nullptr;
  decltype(&::curl_easy_getinfo) easyGetinfo = nullptr;
  decltype(&::curl_easy_strerror) easyStrerror = nullptr;
  decltype(&::curl_slist_append) slistAppend = nullptr;
  decltype(&::curl_slist_free_all) slistFreeAll = nullptr;
  decltype(&::curl_multi_init) multiInit = nullptr;
  decltype(&::curl_multi_cleanup) multiCleanup = nullptr;
  decltype(&::curl_multi_add_handle) multiAddHandle = nullptr;
  decltype(&::curl_multi_remove_handle) multiRemoveHandle = nullptr;
  decltype(&::curl_multi_perform) multiPerform = nullptr;
  decltype(&::curl_multi_poll) multiPoll = nullptr;
  decltype(&::curl_multi_wakeup) multiWakeup = nullptr;
  decltype(&::curl_multi_info_read) multiInfoRead = nullptr;
};
