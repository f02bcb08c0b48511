#include "platform/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinkHops = 40;

std::string Reason(int error, const char* fallback) { return error > 0 ? std::strerror(error) : fallback; }

// Creates a fresh temporary file beside path; -1 when the folder cannot take one.
int CreateTemporary(const std::string& path, std::string& tempPath) {
  static std::atomic<uint64_t> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Writes bytes through the opener's stream; 0 when written, else the system's error (or -1 when
// the stream gave none).
int WriteThrough(const std::string& tempPath, std::string_view bytes, const OutputOpener& open) {
  errno = 0;
  int error = 0;
  try {
    std::unique_ptr<std::ostream> out = open(tempPath);
    if (!out || !*out) return errno != 0 ? errno : -1;
    out->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out->flush();
    if (!*out) error = errno != 0 ? errno : -1;
    if (auto* file = dynamic_cast<std::ofstream*>(out.get()); file && error == 0) {
      file->close();
      if (file->fail()) error = errno != 0 ? errno : -1;
    }
  } catch (const std::exception&) {
    error = errno != 0 ? errno : -1;
  }
  return error;
}

void SyncFolderOf(const std::string& path) {
  std::string folder = fs::path(path).parent_path().string();
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

mode_t ModeFor(const std::string& path, unsigned wanted) {
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) return old.st_mode & wanted & 07777;
  return static_cast<mode_t>(wanted);
}

}  // namespace

std::unique_ptr<std::ostream> OpenFileOutput(const std::string& tempPath) {
  return std::make_unique<std::ofstream>(tempPath, std::ios::binary | std::ios::trunc);
}

std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(current, ec)) return current;
    fs::path target = fs::read_symlink(current, ec);
    if (ec) return current;
    current = (target.is_absolute() ? target : fs::path(current).parent_path() / target).lexically_normal().string();
  }
  return current;
}

bool ReplaceFile(const std::string& path, std::string_view bytes, const ReplaceOptions& options, std::string* why) {
  const std::string file = ResolveLinks(path);
  std::string tempPath;
  errno = 0;
  const int fd = CreateTemporary(file, tempPath);
  if (fd < 0) {
    if (why) *why = Reason(errno, "no temporary file could be made");
    return false;
  }
  ::fchmod(fd, ModeFor(file, options.mode));
  int error = WriteThrough(tempPath, bytes, options.open);
  bool ok = error == 0;
  if (ok && ::fsync(fd) != 0) ok = false, error = errno;
  ::close(fd);
  if (ok && ::rename(tempPath.c_str(), file.c_str()) != 0) ok = false, error = errno;
  if (!ok) {
    ::unlink(tempPath.c_str());
    if (why) *why = Reason(error, "the data could not be written");
    return false;
  }
  SyncFolderOf(file);
  return true;
}

int RemoveStaleTempFiles(const std::string& folder) {
  static const std::regex kTempName(R"(.+\.tmp-([0-9]{1,10})-[0-9]{1,20})");
  int removed = 0;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    std::smatch match;
    const std::string name = entry.path().filename().string();
    if (!std::regex_match(name, match, kTempName) || !entry.is_regular_file(ec)) continue;
    const long pid = std::stol(match[1].str());
    if (pid <= 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    if (fs::remove(entry.path(), ec)) ++removed;
  }
  return removed;
}
