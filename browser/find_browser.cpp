#include "browser/find_browser.h"

#include <unistd.h>

#include <sstream>

namespace {

// The folder of the first executable file called name on the colon-separated path list.
std::string FindOnPath(const std::string& name, const std::string& pathList) {
  std::istringstream folders(pathList);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) continue;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (access((folder + "/" + name).c_str(), X_OK) == 0) return folder;
  }
  return {};
}

}  // namespace

bool FindBrowserInstallation(CPrefs& prefs, const std::string& pathList) {
  for (const char* candidate : {"x-www-browser", "xdg-open"}) {
    std::string folder = FindOnPath(candidate, pathList);
    if (folder.empty()) continue;
    prefs.browserPath = folder;
    prefs.browser = candidate;
    return true;
  }
  return false;
}
