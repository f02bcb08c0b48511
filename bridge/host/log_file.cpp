#include "bridge/host/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "bridge/host/make_folders.h"

namespace bridge {

LogFile::~LogFile() {
  if (file) std::fclose(file);
}

std::string LogFile::DefaultPath() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::string(state) + "/hopwise/bridge.log";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/state/hopwise/bridge.log";
  return {};
}

bool LogFile::Open(const std::string& path, long maxBytes) {
  if (path.empty()) return false;
  const auto slash = path.rfind('/');
  if (slash != std::string::npos && !MakeFolders(path.substr(0, slash))) return false;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && info.st_size > maxBytes) {
    std::rename(path.c_str(), (path + ".1").c_str());
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  file = ::fdopen(fd, "a");
  if (!file) {
    ::close(fd);
    return false;
  }
  return true;
}

void LogFile::Write(std::string_view line) {
  if (!file) return;
  constexpr size_t kMaxLine = 600;
  if (line.size() > kMaxLine) line = line.substr(0, kMaxLine);
  char stamp[32] = "";
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::fprintf(file, "%s [%d] %.*s\n", stamp, static_cast<int>(::getpid()), static_cast<int>(line.size()),
               line.data());
  std::fflush(file);
}

}  // namespace bridge
