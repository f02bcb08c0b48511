#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/message_boxes.h"
#include "store/page_mark_store.h"
#include "store/records.h"

inline constexpr char kCacheCorrupted[] = "Doh!\nThe cache has been corrupted.\nIt will be purged.";
inline constexpr char kBranchCorrupted[] = "Doh!\nThis topic branch has been corrupted.\nIt will be pruned.";

// The load and save operations of cache.data, topics.data and the Topic branch files.
//
// Loads that fail treat the file as corrupt: the "Doh!" message, the file is deleted (a branch is
// replaced by an empty one). Saves that fail show the same message but keep both the old file and
// what is in memory, so a failed write never loses data. SaveBranch may also be called from the
// update checker's worker thread.
class DataFiles {
 public:
  DataFiles(MessageBoxes& messages, const Clock& clock, OutputOpener open = OpenFileOutput);
  ~DataFiles();
  DataFiles(const DataFiles&) = delete;
  DataFiles& operator=(const DataFiles&) = delete;

  // Loads the PageMarks of cache.data into the store (PageMarkStore::Load). No file: nothing
  // happens. A damaged file: message, file deleted, store unchanged.
  void LoadCache(PageMarkStore& store, const std::string& path);
  // Writes a copy of the store to path. False (with the message) when the write failed. Any
  // thread: the store is only copied, under its lock, and never changed.
  bool SaveCache(const PageMarkStore& store, const std::string& path);

  // Appends the topics of the file at path to topics. No file: nothing happens. A damaged file:
  // message, the file is deleted and an empty branch is written in its place; topics is unchanged.
  void LoadBranch(const std::string& path, TopicArray& topics);
  // Writes topics to path, replacing the file. False (with the message) when the write failed.
  bool SaveBranch(const std::string& path, const TopicArray& topics);
  // Writes several branches at once, with one sync of the disk for them all (ReplaceFiles), in the
  // order given; each that fails gets the message as in SaveBranch. Returns, per branch, whether
  // it was written.
  std::vector<bool> SaveBranches(const std::vector<std::pair<std::string, const TopicArray*>>& branches);

 private:
  bool WriteCacheSnapshot(const PageMarkStore& store, const std::string& path);

  MessageBoxes& messages_;
  const Clock& clock_;
  OutputOpener open_;

  // A copy of the store older than the one already written is not written, so a slow background
  // save never overwrites the newer file of a later save.
  std::mutex cacheWriteMutex_;
  std::map<std::string, uint64_t> writtenGeneration_;
};
