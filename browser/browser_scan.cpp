#include "browser/browser_scan.h"

#include <algorithm>
#include <cctype>
#include <vector>

bool BrowserScan::IsBrowserName(const std::string& exeName) {
  size_t cut = exeName.find_last_of("\\/");
  std::string name = cut == std::string::npos ? exeName : exeName.substr(cut + 1);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return name == "NETSCAPE.EXE";
}

bool BrowserScan::Scan(ProcessList& processes) {
  auto snapshot = processes.Snapshot();
  if (!snapshot) return false;
  std::vector<uint32_t> found;
  for (const ProcessEntry& entry : *snapshot) {
    if (IsBrowserName(entry.exeName)) found.push_back(entry.pid);
  }
  bool appeared = false;
  for (uint32_t pid : found) {  // mark
    auto [it, inserted] = marks_.try_emplace(pid, 1);
    it->second = 1;
    appeared |= inserted;
  }
  for (auto it = marks_.begin(); it != marks_.end();) {  // sweep
    if (it->second != 0) {
      it->second = 0;
      ++it;
    } else {
      it = marks_.erase(it);
    }
  }
  return appeared;
}
