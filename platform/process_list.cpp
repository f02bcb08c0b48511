#include "platform/process_list.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

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

ProcProcessList::ProcProcessList(std::string procRoot) : procRoot_(std::move(procRoot)), owner_(::getuid()) {}

std::optional<std::vector<ProcessEntry>> ProcProcessList::Snapshot() {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(procRoot_.c_str()), closedir);
  if (!dir) return std::nullopt;
  std::vector<ProcessEntry> entries;
  while (dirent* entry = readdir(dir.get())) {
    if (!AllDigits(entry->d_name)) continue;
    const std::string folder = procRoot_ + "/" + entry->d_name;
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || info.st_uid != owner_) continue;
    std::ifstream comm(folder + "/comm");
    std::string name;
    if (!comm || !std::getline(comm, name)) continue;  // the process has just ended
    unsigned long pid = std::stoul(entry->d_name);
    if (pid > UINT32_MAX) continue;
    entries.push_back({static_cast<uint32_t>(pid), name});
  }
  return entries;
}
