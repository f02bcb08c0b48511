#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/message_boxes.h"
#include "store/page_mark_store.h"
#include "store/process_events.h"
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
  // Waits for a running background save.
  ~DataFiles();
  DataFiles(const DataFiles&) = delete;
  DataFiles& operator=(const DataFiles&) = delete;

  // Appends the PageMarks of cache.data to PageMarkCache in file order (the store is empty at
  // start-up). No file: nothing happens. A damaged file: message, file deleted, store unchanged.
  void LoadCache(PageMarkStore& store, const std::string& path);
  // Writes PageMarkCache to path on this thread. False (with the message) when the write failed.
  bool SaveCache(PageMarkStore& store, const std::string& path);
  // SaveCache on a worker thread, bracketed by the save-in-progress and save-done events. The
  // worker holds the store lock only while it copies the store into memory, and never changes the
  // store. Returns false, starting nothing, while an earlier background save is still running; the
  // store is then marked dirty again so the next trigger saves it. A failed write is reported
  // from the worker thread, so the message boxes must be safe to call from there.
  bool SaveCacheInBackground(PageMarkStore& store, const std::string& path, ProcessEvents& events);
  // Waits until a running background save has ended. Never call it while holding the store lock.
  void WaitForBackgroundSave();

  // Appends the topics of the file at path to topics. No file: nothing happens. A damaged file:
  // message, the file is deleted and an empty branch is written in its place; topics is unchanged.
  void LoadBranch(const std::string& path, TopicArray& topics);
  // Writes topics to path, replacing the file. False (with the message) when the write failed.
  bool SaveBranch(const std::string& path, const TopicArray& topics);

 private:
  bool WriteCacheSnapshot(PageMarkStore& store, const std::string& path);

  MessageBoxes& messages_;
  const Clock& clock_;
  OutputOpener open_;

  // Snapshots of the store are numbered as they are taken (under the store lock); a snapshot older
  // than the one already written is not written, so a slow background save never overwrites the
  // newer file of a later save.
  std::mutex cacheWriteMutex_;
  uint64_t nextSnapshot_ = 1;
  std::map<std::string, uint64_t> writtenSnapshot_;

  std::mutex workerMutex_;
  std::thread worker_;
  std::atomic<bool> workerRunning_{false};
};
