#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "store/data_files.h"
#include "store/page_mark_store.h"

// The periodic save of cache.data on a short-lived worker thread. The worker copies the store
// (PageMarkStore::Snapshot, under the store's lock) and writes the copy; it never changes the
// store. A visit arriving meanwhile waits only while the copy is taken: that lock is the one
// thing a visit ever waits for.
//
// This object alone starts and ends the worker: once Close() has begun no save starts, and Close
// returns only when the running one has ended. The worker never shows anything: the message of a
// failed save goes to the report function its owner gave, which hands it to the main thread.
class BackgroundSave {
 public:
  // Called on the worker thread with the message of a failed save (the previous file is kept).
  using FailureReport = std::function<void(const std::string& message)>;

  BackgroundSave(DataFiles& files, FailureReport report);
  // Closes.
  ~BackgroundSave();
  BackgroundSave(const BackgroundSave&) = delete;
  BackgroundSave& operator=(const BackgroundSave&) = delete;

  // Starts a save of store to path. Returns false, starting nothing, once closing has begun, or
  // while an earlier save still runs: the store is then marked dirty again so the next trigger
  // saves it. Any thread.
  bool Start(PageMarkStore& store, const std::string& path);
  // No save starts from now on; waits until a running one has ended. Any thread.
  void Close();

 private:
  DataFiles& files_;
  FailureReport report_;
  std::mutex mutex_;  // the members below
  std::thread worker_;
  std::atomic<bool> running_{false};
  bool closed_ = false;
};
