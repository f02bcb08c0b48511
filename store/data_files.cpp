#include "store/data_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <sstream>

#include "platform/damaged_copy.h"
#include "store/archive.h"

namespace {

constexpr char kOutOfMemory[] = "there was not enough memory";

// Why a file could not be read or written, for the user.
std::string Why(const std::exception& e) {
  if (dynamic_cast<const std::bad_alloc*>(&e)) return kOutOfMemory;
  return e.what();
}

std::string NotSaved(const std::string& path, const std::string& why) {
  return "Hopwise could not save " + path + ": " + why + ".\nThe previous file is kept.";
}

}  // namespace

FileBytes ReadWholeFile(const std::string& path) {
  FileBytes result;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    result.error = errno;
    return result;
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) result.error = errno;
    if (n <= 0) break;
    result.bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return result;
}

DataFiles::DataFiles(MessageBoxes& messages, const Clock& clock, OutputOpener open, FileReader read)
    : messages_(&messages), clock_(clock), open_(std::move(open)), read_(std::move(read)) {}

DataFiles::~DataFiles() = default;

void DataFiles::ReportTo(MessageBoxes& messages) {
  std::lock_guard guard(mutex_);
  messages_ = &messages;
}

void DataFiles::Tell(const std::string& text) {
  MessageBoxes* messages = nullptr;
  {
    std::lock_guard guard(mutex_);
    messages = messages_;
  }
  messages->Ok(text);
}

bool DataFiles::MayWrite(const std::string& path) const {
  std::lock_guard guard(mutex_);
  return !unwritable_.contains(ResolveLinks(path));
}

std::size_t DataFiles::UnreadFiles() const {
  std::lock_guard guard(mutex_);
  return unwritable_.size();
}

LoadOutcome DataFiles::Read(const std::string& path, std::string& bytes) {
  FileBytes read;
  try {
    read = read_(ResolveLinks(path));
  } catch (const std::bad_alloc&) {
    return NotRead(path, kOutOfMemory);
  }
  if (read.error == ENOENT) return LoadOutcome::Missing;
  if (read.error != 0) return NotRead(path, std::strerror(read.error));
  bytes = std::move(read.bytes);
  return LoadOutcome::Loaded;
}

LoadOutcome DataFiles::NotRead(const std::string& path, const std::string& why) {
  {
    std::lock_guard guard(mutex_);
    unwritable_.insert(ResolveLinks(path));
  }
  Tell("Hopwise cannot read " + path + ": " + why +
       ".\nThe file is left as it is and will not be written while Hopwise runs.");
  return LoadOutcome::Unreadable;
}

void DataFiles::KeepDamaged(const std::string& path, const std::string& message) {
  const std::string file = ResolveLinks(path);
  std::string why;
  const std::string copy = KeepDamagedCopy(file, clock_.Now(), why);
  if (copy.empty()) {
    {
      std::lock_guard guard(mutex_);
      unwritable_.insert(file);
    }
    Tell(message + "\nThe damaged file could not be moved aside (" + why +
         "), so it is left as it is and will not be written while Hopwise runs.");
    return;
  }
  Tell(message + "\nThe damaged file was kept as " + copy + ".");
}

LoadOutcome DataFiles::LoadCache(PageMarkStore& store, const std::string& path) {
  std::string bytes;
  const LoadOutcome outcome = Read(path, bytes);
  if (outcome != LoadOutcome::Loaded) return outcome;
  std::vector<std::unique_ptr<CPez>> pages;
  try {
    std::istringstream in(std::move(bytes));
    pages = ReadPezArray(in);
  } catch (const UnknownSchemaError& e) {
    KeepDamaged(path, e.what());
    return LoadOutcome::Damaged;
  } catch (const ArchiveError&) {
    KeepDamaged(path, kCacheCorrupted);
    return LoadOutcome::Damaged;
  } catch (const std::exception& e) {
    return NotRead(path, Why(e));
  }
  const std::size_t held = pages.size();
  const std::size_t leftOut = store.Load(std::move(pages));
  {
    std::lock_guard guard(mutex_);
    cacheGeneration_[ResolveLinks(path)] = store.Generation();
  }
  if (leftOut > 0)
    Tell(path + " holds " + std::to_string(held) + " PageMarks, more than the " +
         std::to_string(store.Count()) + " Hopwise can keep; the " + std::to_string(leftOut) +
         " least recently visited were left out.\nThe file keeps them until Hopwise next saves it.");
  return LoadOutcome::Loaded;
}

bool DataFiles::SaveCache(const PageMarkStore& store, const std::string& path) {
  std::string failure;
  if (SaveCache(store, path, failure)) return true;
  if (!failure.empty()) Tell(failure);
  return false;
}

bool DataFiles::SaveCache(const PageMarkStore& store, const std::string& path, std::string& failure) {
  const std::string file = ResolveLinks(path);
  if (!MayWrite(file)) return false;
  PageMarkStore::Copy copy = store.Snapshot();
  std::string bytes;
  try {
    std::ostringstream out;
    WritePezArray(out, copy.pages);
    bytes = std::move(out).str();
  } catch (const std::exception& e) {
    failure = NotSaved(path, Why(e));
    return false;
  }
  std::lock_guard order(cacheWriteMutex_);
  {
    std::lock_guard guard(mutex_);
    auto onDisk = cacheGeneration_.find(file);
    if (onDisk != cacheGeneration_.end() && copy.generation <= onDisk->second) return true;
  }
  failure = Write(path, bytes);
  if (!failure.empty()) return false;
  std::lock_guard guard(mutex_);
  cacheGeneration_[file] = copy.generation;
  return true;
}

LoadOutcome DataFiles::LoadBranch(const std::string& path, TopicArray& topics) {
  std::string bytes;
  const LoadOutcome outcome = Read(path, bytes);
  if (outcome != LoadOutcome::Loaded) return outcome;
  TopicArray loaded;
  try {
    std::istringstream in(std::move(bytes));
    loaded = ReadTopicArray(in, clock_.Now());
  } catch (const UnknownSchemaError& e) {
    KeepDamaged(path, e.what());
    return LoadOutcome::Damaged;
  } catch (const ArchiveError&) {
    KeepDamaged(path, kBranchCorrupted);
    return LoadOutcome::Damaged;
  } catch (const std::exception& e) {
    return NotRead(path, Why(e));
  }
  for (auto& topic : loaded) topics.push_back(std::move(topic));
  return LoadOutcome::Loaded;
}

std::vector<bool> DataFiles::SaveBranches(
    const std::vector<std::pair<std::string, const TopicArray*>>& branches) {
  std::vector<FileReplacement> files;
  std::vector<std::size_t> written;  // the branch of each file
  for (std::size_t i = 0; i < branches.size(); ++i) {
    if (!MayWrite(branches[i].first)) continue;
    // Each file is made straight into its temporary file, so a large import is not held twice.
    const TopicArray* topics = branches[i].second;
    files.push_back({branches[i].first, {}, [topics](std::ostream& out) {
                       WriteTopicArray(out, *topics);
                       return static_cast<bool>(out);
                     }});
    written.push_back(i);
  }
  ReplaceOptions options;
  options.open = open_;
  const std::vector<std::string> reasons = ReplaceFiles(files, options);
  std::vector<bool> ok(branches.size(), false);
  std::size_t failed = 0, first = 0;
  for (std::size_t f = 0; f < files.size(); ++f) {
    ok[written[f]] = reasons[f].empty();
    if (!reasons[f].empty() && failed++ == 0) first = f;
  }
  // One message however many failed: a disk that fills fails every file after the first.
  if (failed == 1) Tell(NotSaved(files[first].path, reasons[first]));
  if (failed > 1)
    Tell("Hopwise could not save " + std::to_string(failed) + " Topics files, the first " +
         files[first].path + ": " + reasons[first] + ".\nThe previous files are kept.");
  return ok;
}

bool DataFiles::SaveBranch(const std::string& path, const TopicArray& topics) {
  if (!MayWrite(path)) return false;
  std::string bytes;
  try {
    std::ostringstream out;
    WriteTopicArray(out, topics);
    bytes = std::move(out).str();
  } catch (const std::exception& e) {
    Tell(NotSaved(path, Why(e)));
    return false;
  }
  const std::string failure = Write(path, bytes);
  if (failure.empty()) return true;
  Tell(failure);
  return false;
}

// Empty when written, else the message that says why not.
std::string DataFiles::Write(const std::string& path, const std::string& bytes) {
  std::string why;
  ReplaceOptions options;
  options.open = open_;
  if (ReplaceFile(path, bytes, options, &why)) return {};
  return NotSaved(path, why);
}
