#include "platform/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <set>
#include <string_view>

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinkHops = 40;

bool Digits(std::string_view text, size_t most) {
  return !text.empty() && text.size() <= most &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The writer's process id in the name of a temporary file ("NAME.tmp-PID-N", PID of at most 10
// digits, N of at most 20); nothing for any other name.
std::optional<long> TempFileOwner(const std::string& name) {
  const size_t mark = name.rfind(".tmp-");
  if (mark == std::string::npos || mark == 0) return std::nullopt;
  const std::string_view rest = std::string_view(name).substr(mark + 5);
  const size_t dash = rest.find('-');
  if (dash == std::string_view::npos || !Digits(rest.substr(0, dash), 10) ||
      !Digits(rest.substr(dash + 1), 20))
    return std::nullopt;
  return std::stol(std::string(rest.substr(0, dash)));
}

std::string Reason(int error, const char* fallback) {
  return error > 0 ? std::strerror(error) : fallback;
}

// Creates a fresh temporary file beside path; -1 when the folder cannot take one.
int CreateTemporary(const std::string& path, std::string& tempPath, mode_t mode) {
  static std::atomic<uint64_t> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Writes through the opener's stream; 0 when written, else the system's error (or -1 when the
// stream gave none).
int WriteThrough(const std::string& tempPath, const ContentWriter& write, const OutputOpener& open) {
  errno = 0;
  int error = 0;
  try {
    std::unique_ptr<std::ostream> out = open(tempPath);
    if (!out || !*out) return errno != 0 ? errno : -1;
    const bool made = write(*out);
    out->flush();
    if (!made || !*out) error = errno != 0 ? errno : -1;
    if (auto* file = dynamic_cast<std::ofstream*>(out.get()); file && error == 0) {
      file->close();
      if (file->fail()) error = errno != 0 ? errno : -1;
    }
  } catch (const std::bad_alloc&) {
    error = ENOMEM;
  } catch (const std::exception&) {
    error = errno != 0 ? errno : -1;
  }
  return error;
}

ContentWriter BytesWriter(std::string_view bytes) {
  return [bytes](std::ostream& out) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
  };
}

std::string FolderOf(const std::string& path) {
  std::string folder = fs::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool SyncFileSystemOf(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::syncfs(fd) == 0;
  ::close(fd);
  return ok;
}

// The mode of an existing file, less the bits not wanted; nothing for a new file (it gets the
// wanted mode less the umask when it is made).
std::optional<mode_t> ExistingMode(const std::string& path, unsigned wanted) {
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) return old.st_mode & wanted & 07777;
  return std::nullopt;
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
    current = (target.is_absolute() ? target : fs::path(current).parent_path() / target)
                  .lexically_normal()
                  .string();
  }
  return current;
}

namespace {

// Writes bytes to a new temporary file beside file (synced when sync is set): its path, or empty
// with why set.
std::string WriteTemporary(const std::string& file, const ContentWriter& write, const ReplaceOptions& options,
                           bool sync, std::string& why) {
  std::string tempPath;
  errno = 0;
  const int fd = CreateTemporary(file, tempPath, static_cast<mode_t>(options.mode & 07777));
  if (fd < 0) {
    why = Reason(errno, "no temporary file could be made");
    return {};
  }
  if (const auto mode = ExistingMode(file, options.mode)) ::fchmod(fd, *mode);
  int error = WriteThrough(tempPath, write, options.open);
  if (error == 0 && sync && ::fsync(fd) != 0) error = errno;
  ::close(fd);
  if (error == 0) return tempPath;
  ::unlink(tempPath.c_str());
  why = Reason(error, "the data could not be written");
  return {};
}

bool Rename(const std::string& tempPath, const std::string& file, std::string& why) {
  if (::rename(tempPath.c_str(), file.c_str()) == 0) return true;
  why = Reason(errno, "the file could not be replaced");
  ::unlink(tempPath.c_str());
  return false;
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view bytes, const ReplaceOptions& options,
                 std::string* why) {
  return ReplaceFileWith(path, BytesWriter(bytes), options, why);
}

bool ReplaceFileWith(const std::string& path, const ContentWriter& write, const ReplaceOptions& options,
                     std::string* why) {
  const std::string file = ResolveLinks(path);
  std::string reason;
  const std::string tempPath = WriteTemporary(file, write, options, true, reason);
  if (tempPath.empty() || !Rename(tempPath, file, reason)) {
    if (why) *why = reason;
    return false;
  }
  SyncFolder(FolderOf(file));
  return true;
}

std::vector<std::string> ReplaceFiles(const std::vector<FileReplacement>& files,
                                      const ReplaceOptions& options) {
  std::vector<std::string> targets, temps, reasons(files.size());
  std::set<std::string> folders;
  for (std::size_t i = 0; i < files.size(); ++i) {
    targets.push_back(ResolveLinks(files[i].path));
    const ContentWriter write = files[i].write ? files[i].write : BytesWriter(files[i].bytes);
    temps.push_back(WriteTemporary(targets[i], write, options, false, reasons[i]));
    if (!temps[i].empty()) folders.insert(FolderOf(targets[i]));
  }
  std::set<std::string> synced;
  for (const std::string& folder : folders)
    if (SyncFileSystemOf(folder)) synced.insert(folder);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (temps[i].empty()) continue;
    if (!synced.contains(FolderOf(targets[i]))) {
      reasons[i] = "the disk could not be synced";
      ::unlink(temps[i].c_str());
      continue;
    }
    Rename(temps[i], targets[i], reasons[i]);
  }
  for (const std::string& folder : synced) SyncFolder(folder);
  return reasons;
}

int RemoveStaleTempFiles(const std::string& folder) {
  int removed = 0;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    const std::optional<long> owner = TempFileOwner(entry.path().filename().string());
    if (!owner || !entry.is_regular_file(ec)) continue;
    const long pid = *owner;
    if (pid <= 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    if (fs::remove(entry.path(), ec)) ++removed;
  }
  return removed;
}
