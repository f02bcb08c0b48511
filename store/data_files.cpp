#include "store/data_files.h"

#include <filesystem>
#include <fstream>
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

}  // namespace

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
