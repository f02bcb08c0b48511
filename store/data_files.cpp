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

DataFiles::~DataFiles() = default;

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
  store.Load(std::move(pages));
}

bool DataFiles::SaveCache(const PageMarkStore& store, const std::string& path) {
  if (WriteCacheSnapshot(store, path)) return true;
  messages_.Ok(kCacheCorrupted);
  return false;
}

bool DataFiles::WriteCacheSnapshot(const PageMarkStore& store, const std::string& path) {
  PageMarkStore::Copy copy = store.Snapshot();
  std::string bytes;
  try {
    std::ostringstream out;
    WritePezArray(out, copy.pages);
    bytes = std::move(out).str();
  } catch (const std::exception&) {
    return false;
  }
  std::lock_guard guard(cacheWriteMutex_);
  auto written = writtenGeneration_.find(path);
  if (written != writtenGeneration_.end() && copy.generation < written->second) return true;  // newer on disk
  if (!ReplaceFile(path, bytes, open_)) return false;
  writtenGeneration_[path] = copy.generation;
  return true;
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

std::vector<bool> DataFiles::SaveBranches(
    const std::vector<std::pair<std::string, const TopicArray*>>& branches) {
  std::vector<FileReplacement> files;
  std::vector<std::size_t> written;  // the branch of each file
  for (std::size_t i = 0; i < branches.size(); ++i) {
    try {
      std::ostringstream out;
      WriteTopicArray(out, *branches[i].second);
      files.push_back({branches[i].first, std::move(out).str()});
      written.push_back(i);
    } catch (const std::exception&) {
    }
  }
  const std::vector<bool> replaced = ReplaceFiles(files, open_);
  std::vector<bool> ok(branches.size(), false);
  for (std::size_t f = 0; f < files.size(); ++f) ok[written[f]] = replaced[f];
  for (bool saved : ok)
    if (!saved) messages_.Ok(kBranchCorrupted);
  return ok;
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
