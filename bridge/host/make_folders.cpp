#include "bridge/host/make_folders.h"

#include <sys/stat.h>

#include <cerrno>

namespace bridge {

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return true;
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat info {};
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace bridge
