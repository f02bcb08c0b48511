#include "windows/check_view_bridge.h"

#include <QThread>
#include <memory>

CheckViewBridge::CheckViewBridge(QObject& context, CheckView& target) : context_(context), target_(target) {}

CheckViewBridge::~CheckViewBridge() {
  Close();
}

void CheckViewBridge::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  ran_.notify_all();
}

// A posted call that finds the bridge closed does nothing: work lives on the stack of a worker
// that may have stopped waiting for it. Close() and the posted calls both run on the context's
// thread, so a call that starts before Close() ends before it.
bool CheckViewBridge::RunOnWindowThread(const std::function<void()>& work) {
  if (QThread::currentThread() == context_.thread()) {
    if (closed_) return false;
    work();
    return true;
  }
  auto done = std::make_shared<bool>(false);
  {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
  }
  QMetaObject::invokeMethod(
      &context_,
      [this, done, &work] {
        {
          std::lock_guard lock(mutex_);
          if (closed_) return;
        }
        work();
        {
          std::lock_guard lock(mutex_);
          *done = true;
        }
        ran_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  ran_.wait(lock, [&] { return *done || closed_; });
  return *done;
}

void CheckViewBridge::SetStatusText(const std::string& text) {
  RunOnWindowThread([&] { target_.SetStatusText(text); });
}

void CheckViewBridge::SetMenuLabel(const std::string& label) {
  RunOnWindowThread([&] { target_.SetMenuLabel(label); });
}

void CheckViewBridge::SetVerdict(ItemKey item, Verdict verdict, const VerdictCause& cause) {
  RunOnWindowThread([&] { target_.SetVerdict(item, verdict, cause); });
}

std::vector<ItemKey> CheckViewBridge::Children(ItemKey parent) {
  std::vector<ItemKey> children;
  RunOnWindowThread([&] { children = target_.Children(parent); });
  return children;
}

bool CheckViewBridge::Describe(ItemKey item, ItemFacts& facts) {
  bool found = false;
  RunOnWindowThread([&] { found = target_.Describe(item, facts); });
  return found;
}

bool CheckViewBridge::StoreSize(ItemKey item, uint32_t size) {
  bool stored = false;
  RunOnWindowThread([&] { stored = target_.StoreSize(item, size); });
  return stored;
}

void CheckViewBridge::ReconcileEntry(ItemKey entry) {
  RunOnWindowThread([&] { target_.ReconcileEntry(entry); });
}

void CheckViewBridge::SaveTopic(ItemKey folder) {
  RunOnWindowThread([&] { target_.SaveTopic(folder); });
}
