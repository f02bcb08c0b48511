#include "platform/dde_names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace dde::names {

std::string DefaultRuntimeDir() {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/hopwise-dde";
  return "/tmp/hopwise-dde-" + std::to_string(geteuid());
}

bool PrepareRuntimeDir(const std::string& dir) {
  if (dir.empty()) return false;
  bool created = mkdir(dir.c_str(), 0700) == 0;
  if (!created && errno != EEXIST) return false;
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  if (created) fchmod(fd, 0700);  // the umask may have taken bits we need
  struct stat st {};
  bool ok = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0 &&
            (st.st_mode & 0700) == 0700;
  close(fd);
  return ok;
}

std::optional<std::string> SocketFileName(const std::string& service) {
  if (service.empty()) return std::nullopt;
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(service.size());
  for (unsigned char c : service) {
    if (c >= 'A' && c <= 'Z') {
      out += static_cast<char>(c - 'A' + 'a');
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xf];
    }
  }
  return out;
}

std::optional<std::string> SocketPath(const std::string& dir, const std::string& service) {
  std::optional<std::string> file = SocketFileName(service);
  if (!file) return std::nullopt;
  std::string path = dir + "/" + *file;
  if (path.size() >= sizeof(sockaddr_un{}.sun_path)) return std::nullopt;
  return path;
}

}  // namespace dde::names
