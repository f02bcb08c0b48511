#include "store/background_save.h"

#include <system_error>

BackgroundSave::BackgroundSave(DataFiles& files, FailureReport report)
    : files_(files), report_(std::move(report)) {}

BackgroundSave::~BackgroundSave() {
  Close();
}

bool BackgroundSave::Start(PageMarkStore& store, const std::string& path) {
  std::lock_guard guard(mutex_);
  if (closed_) return false;
  if (running_) {
    store.MarkDirty();
    return false;
  }
  if (worker_.joinable()) worker_.join();
  running_ = true;
  try {
    worker_ = std::thread([this, &store, path] {
      try {
        std::string failure;
        if (!files_.SaveCache(store, path, failure) && !failure.empty() && report_) report_(failure);
      } catch (const std::exception&) {
        store.MarkDirty();  // memory ran out: the next trigger tries again
      }
      running_ = false;
    });
  } catch (const std::system_error&) {
    running_ = false;
    store.MarkDirty();
    return false;
  }
  return true;
}

void BackgroundSave::Close() {
  std::lock_guard guard(mutex_);
  closed_ = true;
  if (worker_.joinable()) worker_.join();
}
