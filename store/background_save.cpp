#include "store/background_save.h"

#include <system_error>

BackgroundSave::~BackgroundSave() {
  Wait();
}

bool BackgroundSave::Start(PageMarkStore& store, const std::string& path) {
  std::lock_guard guard(mutex_);
  if (running_) {
    store.MarkDirty();
    return false;
  }
  if (worker_.joinable()) worker_.join();
  running_ = true;
  try {
    worker_ = std::thread([this, &store, path] {
      try {
        files_.SaveCache(store, path);
      } catch (const std::exception&) {
        // The message box itself failed; the old file is still in place.
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

void BackgroundSave::Wait() {
  std::lock_guard guard(mutex_);
  if (worker_.joinable()) worker_.join();
}
