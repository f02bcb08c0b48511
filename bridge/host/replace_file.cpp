#include "bridge/host/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "bridge/host/make_folders.h"
#include "platform/atomic_file.h"

namespace bridge {
namespace {

// Only a regular file can hold the text (reading a folder through a stream throws).
bool HoldsExactly(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  bool same =
      ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<size_t>(info.st_size) == text.size();
  std::string current(text.size() + 1, '\0');
  size_t done = 0;
  while (same) {
    const ssize_t n = ::read(fd, current.data() + done, current.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) same = false;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
    if (done == current.size()) break;  // longer than the text
  }
  ::close(fd);
  return same && done == text.size() && current.compare(0, done, text) == 0;
}

}  // namespace

WriteOutcome WriteIfChanged(const std::string& path, const std::string& text) {
  if (HoldsExactly(path, text)) return WriteOutcome::Unchanged;
  const auto slash = path.rfind('/');
  if (slash == std::string::npos || !MakeFolders(path.substr(0, slash))) return WriteOutcome::Failed;
  ReplaceOptions options;
  options.mode = 0644;  // the browsers read the manifests
  return ReplaceFile(path, text, options) ? WriteOutcome::Written : WriteOutcome::Failed;
}

}  // namespace bridge
