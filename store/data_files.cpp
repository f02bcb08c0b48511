#include "store/data_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

#include "store/archive.h"

namespace fs = std::filesystem;

namespace {

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

// A damaged file goes; a folder that happens to carry the name is left alone.
void RemoveDamaged(const std::string& path) {
  std::error_code ec;
  if (!fs::is_directory(path, ec)) fs::remove(path, ec);
}

// Creates a fresh temporary file beside path; -1 when the folder cannot take one.
int CreateTemporary(const std::string& path, std::string& tempPath) {
  static std::atomic<uint64_t> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

void SyncFolderOf(const std::string& path) {
  std::string folder = fs::path(path).parent_path().string();
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::unique_ptr<std::ostream> OpenFileOutput(const std::string& tempPath) {
  return std::make_unique<std::ofstream>(tempPath, std::ios::binary | std::ios::trunc);
}

bool ReplaceFile(const std::string& path, std::string_view bytes, const OutputOpener& open) {
  struct stat old {};
  bool hadOld = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  std::string tempPath;
  int fd = CreateTemporary(path, tempPath);
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

DataFiles::DataFiles(MessageBoxes& messages, const Clock& clock, OutputOpener open)
    : messages_(messages), clock_(clock), open_(std::move(open)) {}

DataFiles::~DataFiles() {
  WaitForBackgroundSave();
}

void DataFiles::LoadCache(PageMarkStore& store, const std::string& path) {
  if (!FileExists(path)) return;
  std::vector<std::unique_ptr<CPez>> pages;
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ArchiveError("cannot open " + path);
    pages = ReadPezArray(in, messages_);
  } catch (const std::exception&) {
    messages_.Ok(kCacheCorrupted);
    RemoveDamaged(path);
    return;
  }
  auto lock = store.Lock();
  for (auto& pez : pages) store.PageMarkCache.push_back(std::move(pez));
}

bool DataFiles::SaveCache(PageMarkStore& store, const std::string& path) {
  if (WriteCacheSnapshot(store, path)) return true;
  messages_.Ok(kCacheCorrupted);
  return false;
}

bool DataFiles::WriteCacheSnapshot(PageMarkStore& store, const std::string& path) {
  std::string bytes;
  uint64_t snapshot = 0;
  try {
    std::ostringstream out;
    auto lock = store.Lock();
    WritePezArray(out, store.PageMarkCache);
    std::lock_guard guard(cacheWriteMutex_);
    snapshot = nextSnapshot_++;
    bytes = std::move(out).str();
  } catch (const std::exception&) {
    return false;
  }
  std::lock_guard guard(cacheWriteMutex_);
  uint64_t& written = writtenSnapshot_[path];
  if (snapshot < written) return true;  // a later copy of the store is on disk already
  if (!ReplaceFile(path, bytes, open_)) return false;
  written = snapshot;
  return true;
}

bool DataFiles::SaveCacheInBackground(PageMarkStore& store, const std::string& path, ProcessEvents& events) {
  std::lock_guard guard(workerMutex_);
  if (workerRunning_) {
    store.cacheDirty = true;
    return false;
  }
  if (worker_.joinable()) worker_.join();
  workerRunning_ = true;
  try {
    worker_ = std::thread([this, &store, path, &events] {
      events.saveInProgress.Set();
      try {
        SaveCache(store, path);
      } catch (const std::exception&) {
        // The message box itself failed; the old file is still in place.
      }
      events.saveDone.Set();
      events.saveInProgress.Reset();
      workerRunning_ = false;
    });
  } catch (const std::system_error&) {
    workerRunning_ = false;
    store.cacheDirty = true;
    return false;
  }
  return true;
}

void DataFiles::WaitForBackgroundSave() {
  std::lock_guard guard(workerMutex_);
  if (worker_.joinable()) worker_.join();
}

void DataFiles::LoadBranch(const std::string& path, TopicArray& topics) {
  if (!FileExists(path)) return;
  TopicArray loaded;
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ArchiveError("cannot open " + path);
    loaded = ReadTopicArray(in, clock_.Now(), messages_);
  } catch (const std::exception&) {
    messages_.Ok(kBranchCorrupted);
    RemoveDamaged(path);
    SaveBranch(path, TopicArray{});
    return;
  }
  for (auto& topic : loaded) topics.push_back(std::move(topic));
}

bool DataFiles::SaveBranch(const std::string& path, const TopicArray& topics) {
  bool ok = false;
  try {
    std::ostringstream out;
    WriteTopicArray(out, topics);
    ok = ReplaceFile(path, std::move(out).str(), open_);
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) messages_.Ok(kBranchCorrupted);
  return ok;
}

bool SaveTrigger::TickStart(std::atomic<bool>& cacheDirty) {
  if (ticks_ <= 300) return false;
  ticks_ = 0;
  // exchange, so a visit recorded between the test and the clearing is not forgotten
  return cacheDirty.exchange(false);
}

namespace {

std::string BranchFolder(const std::string& branchPath) {
  return branchPath.empty() || branchPath.back() == '/' ? branchPath : branchPath + '/';
}

// The first name prefix + number + ".data", counting up from number, that is neither a file nor
// a name handed out before in this process.
std::string FirstFreeName(const std::string& prefix, int64_t number) {
  static std::mutex mutex;
  static std::set<std::string> handedOut;
  std::lock_guard guard(mutex);
  for (;; ++number) {
    std::string name = prefix + std::to_string(number) + ".data";
    std::error_code ec;
    fs::file_status status = fs::symlink_status(name, ec);
    bool onDisk = !ec && status.type() != fs::file_type::not_found;
    if (!onDisk && handedOut.insert(name).second) return name;
  }
}

}  // namespace

std::string NewBranchFileName(const std::string& branchPath, Time32 now) {
  return FirstFreeName(BranchFolder(branchPath), now);
}

std::string NewBranchFileName(const std::string& branchPath, Time32 now, RandomSource& random) {
  uint32_t r1 = random.Next();
  uint32_t r2 = random.Next();
  int64_t product = int64_t{r1 % 100 + 1} * (r2 % 100 + 1);
  return FirstFreeName(BranchFolder(branchPath) + std::to_string(now), product);
}
