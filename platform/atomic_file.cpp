#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace {

// Creates a fresh temporary file beside path; -1 when the folder cannot take one.
int CreateTemporary(const std::string& path, std::string& tempPath, mode_t mode) {
  static std::atomic<uint64_t> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteThrough(const std::string& tempPath, std::string_view bytes, const OutputOpener& open) {
  try {
    std::unique_ptr<std::ostream> out = open(tempPath);
    if (!out || !*out) return false;
    out->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out->flush();
    if (!*out) return false;
    if (auto* file = dynamic_cast<std::ofstream*>(out.get())) {
      file->close();
      if (file->fail()) return false;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
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

void SyncFolderOf(const std::string& path) {
  SyncFolder(FolderOf(path));
}

// Writes bytes to a new temporary file beside path, without syncing it; its path, or empty.
std::string WriteTemporary(const std::string& path, std::string_view bytes, const OutputOpener& open,
                           unsigned newFileMode) {
  struct stat old {};
  bool hadOld = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  std::string tempPath;
  int fd = CreateTemporary(path, tempPath, static_cast<mode_t>(newFileMode));
  if (fd < 0) return "";
  if (hadOld) ::fchmod(fd, old.st_mode & 07777);
  bool ok = WriteThrough(tempPath, bytes, open);
  ::close(fd);
  if (ok) return tempPath;
  ::unlink(tempPath.c_str());
  return "";
}

bool SyncFileSystemOf(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::syncfs(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

std::unique_ptr<std::ostream> OpenFileOutput(const std::string& tempPath) {
  return std::make_unique<std::ofstream>(tempPath, std::ios::binary | std::ios::trunc);
}

bool ReplaceFile(const std::string& path, std::string_view bytes, const OutputOpener& open, unsigned newFileMode) {
  struct stat old {};
  bool hadOld = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  std::string tempPath;
  int fd = CreateTemporary(path, tempPath, static_cast<mode_t>(newFileMode));
  if (fd < 0) return false;
  if (hadOld) ::fchmod(fd, old.st_mode & 07777);
  bool ok = WriteThrough(tempPath, bytes, open) && ::fsync(fd) == 0;
  ::close(fd);
  ok = ok && ::rename(tempPath.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(tempPath.c_str());
    return false;
  }
  SyncFolderOf(path);
  return true;
}

std::vector<bool> ReplaceFiles(const std::vector<FileReplacement>& files, const OutputOpener& open,
                               unsigned newFileMode) {
  std::vector<std::string> temps;
  std::set<std::string> folders;
  for (const FileReplacement& file : files) {
    temps.push_back(WriteTemporary(file.path, file.bytes, open, newFileMode));
    if (!temps.back().empty()) folders.insert(FolderOf(file.path));
  }
  std::set<std::string> synced;
  for (const std::string& folder : folders)
    if (SyncFileSystemOf(folder)) synced.insert(folder);
  std::vector<bool> replaced;
  for (std::size_t i = 0; i < files.size(); ++i) {
    bool ok = !temps[i].empty() && synced.contains(FolderOf(files[i].path)) &&
              ::rename(temps[i].c_str(), files[i].path.c_str()) == 0;
    if (!ok && !temps[i].empty()) ::unlink(temps[i].c_str());
    replaced.push_back(ok);
  }
  for (const std::string& folder : synced) SyncFolder(folder);
  return replaced;
}
