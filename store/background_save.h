#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "store/data_files.h"
#include "store/page_mark_store.h"

// The periodic save of cache.data on a short-lived worker thread. The worker copies the store
// (PageMarkStore::Snapshot, under the store's lock) and writes the copy; it never changes the
// store. A visit arriving meanwhile waits only while the copy is taken: that lock is the one
// thing a visit ever waits for.
class BackgroundSave {
 public:
  explicit BackgroundSave(DataFiles& files) : files_(files) {}
  // Waits for a running save.
  ~BackgroundSave();
  BackgroundSave(const BackgroundSave&) = delete;
  BackgroundSave& operator=(const BackgroundSave&) = delete;

  // Starts a save of store to path. Returns false, starting nothing, while an earlier save still
  // runs; the store is then marked dirty again so the next trigger saves it. A failed write is
  // reported from the worker thread, so the message boxes must be safe to call from there.
  bool Start(PageMarkStore& store, const std::string& path);
  // Waits until a running save has ended.
  void Wait();

 private:
  DataFiles& files_;
  std::mutex mutex_;
  std::thread worker_;
  std::atomic<bool> running_{false};
};
