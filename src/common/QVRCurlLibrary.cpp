#include "common/QVRCurlLibrary.h"

#include <dlfcn.h>

#include <optional>
#include <string>
#include <type_traits>

namespace {

// The soname of libcurl 7 and 8; the unversioned name only exists with the development files.
constexpr const char* libraryNames[] = {"libcurl.so.4", "libcurl-gnutls.so.4"};

struct Loaded {
  std::optional<QVRCurlLibrary> library;
  std::string error;
};

Loaded load() {
  Loaded loaded;
  void* handle = nullptr;
  for (const char* name : libraryNames) {
    handle = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (handle) break;
    if (loaded.error.empty()) {
      const char* reason = ::dlerror();
      loaded.error = reason ? reason : name;
    }
  }
  if (!handle) return loaded;
  QVRCurlLibrary library;
  bool complete = true;
  const auto resolve = [&](auto& function, const char* name) {
    void* symbol = ::dlsym(handle, name);
    if (!symbol && complete) {
      complete = false;
      loaded.error = std::string("libcurl has no ") + name;
    }
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(symbol);
  };
  resolve(library.globalInit, "curl_global_init");
  resolve(library.globalCleanup, "curl_global_cleanup");
  resolve(library.easyInit, "curl_easy_init");
  resolve(library.easyCleanup, "curl_easy_cleanup");
  resolve(library.easySetopt, "curl_easy_setopt");
  resolve(library.easyGetinfo, "curl_easy_getinfo");
  resolve(library.easyStrerror, "curl_easy_strerror");
  resolve(library.slistAppend, "curl_slist_append");
  resolve(library.slistFreeAll, "curl_slist_free_all");
  resolve(library.multiInit, "curl_multi_init");
  resolve(library.multiCleanup, "curl_multi_cleanup");
  resolve(library.multiAddHandle, "curl_multi_add_handle");
  resolve(library.multiRemoveHandle, "curl_multi_remove_handle");
  resolve(library.multiPerform, "curl_multi_perform");
  resolve(library.multiPoll, "curl_multi_poll");
  resolve(library.multiWakeup, "curl_multi_wakeup");
  resolve(library.multiInfoRead, "curl_multi_info_read");
  if (!complete) return loaded;  // the handle stays open: dlclose gains nothing here
  loaded.error.clear();
  loaded.library = library;
  return loaded;
}

}  // namespace

const QVRCurlLibrary* QVRCurlLibrary::shared(std::string* error) {
  static const Loaded loaded = load();
  if (!loaded.library && error) *error = loaded.error;
  return loaded.library ? &*loaded.library : nullptr;
}
