#include "platform/curl_library.h"

#include <dlfcn.h>

namespace {

template <typename Function>
bool Find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

bool FindAll(void* library, CurlLibrary& curl) {
  return Find(library, "curl_global_init", curl.globalInit) &&
         Find(library, "curl_global_cleanup", curl.globalCleanup) &&
         Find(library, "curl_easy_init", curl.easyInit) &&
         Find(library, "curl_easy_cleanup", curl.easyCleanup) &&
         Find(library, "curl_easy_setopt", curl.easySetopt) &&
         Find(library, "curl_easy_getinfo", curl.easyGetinfo) &&
         Find(library, "curl_easy_strerror", curl.easyStrerror) &&
         Find(library, "curl_easy_header", curl.easyHeader) &&
         Find(library, "curl_multi_init", curl.multiInit) &&
         Find(library, "curl_multi_cleanup", curl.multiCleanup) &&
         Find(library, "curl_multi_add_handle", curl.multiAddHandle) &&
         Find(library, "curl_multi_remove_handle", curl.multiRemoveHandle) &&
         Find(library, "curl_multi_perform", curl.multiPerform) &&
         Find(library, "curl_multi_poll", curl.multiPoll) &&
         Find(library, "curl_multi_wakeup", curl.multiWakeup) &&
         Find(library, "curl_multi_info_read", curl.multiInfoRead) &&
         Find(library, "curl_slist_append", curl.slistAppend) &&
         Find(library, "curl_slist_free_all", curl.slistFreeAll);
}

}  // namespace

const CurlLibrary* LoadCurlLibrary() {
  // Kept loaded for the life of the process, as a linked library would be.
  static const CurlLibrary* const loaded = []() -> const CurlLibrary* {
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    static CurlLibrary curl{};
    return library && FindAll(library, curl) ? &curl : nullptr;
  }();
  return loaded;
}
