#include "platform/process_list.h"

#include <dirent.h>

#include <cctype>
#include <fstream>
#include <memory>

namespace {

bool AllDigits(const char* text) {
  if (*text == '\0') return false;
  for (; *text; ++text) {
    if (!std::isdigit(static_cast<unsigned char>(*text))) return false;
  }
  return true;
}

}  // namespace

std::optional<std::vector<ProcessEntry>> ProcProcessList::Snapshot() {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(procRoot_.c_str()), closedir);
  if (!dir) return std::nullopt;
  std::vector<ProcessEntry> entries;
  while (dirent* entry = readdir(dir.get())) {
    if (!AllDigits(entry->d_name)) continue;
    std::ifstream comm(procRoot_ + "/" + entry->d_name + "/comm");
    std::string name;
    if (!comm || !std::getline(comm, name)) continue;  // the process has just ended
    unsigned long pid = std::stoul(entry->d_name);
    if (pid > UINT32_MAX) continue;
    entries.push_back({static_cast<uint32_t>(pid), name});
  }
  return entries;
}
