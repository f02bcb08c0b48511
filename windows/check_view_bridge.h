#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "checker/check_view.h"

// The checker's worker talks to a window through this: each call is run on the window's thread
// against the window's own CheckView, and the worker waits until it has been run. So the window's
// view is only ever used on the main thread, and the worker sees the window as it stands.
//
// Once Close() was called (on the main thread, when the window is going away) every call returns
// at once without running: nothing is shown and every item reads as gone. A call the worker is
// waiting on is given up, so the window may then join its worker without a deadlock.
//
// The bridge must not outlive context (the window): calls are posted to it.
class CheckViewBridge : public CheckView {
 public:
  CheckViewBridge(QObject& context, CheckView& target);
  ~CheckViewBridge() override;
  CheckViewBridge(const CheckViewBridge&) = delete;
  CheckViewBridge& operator=(const CheckViewBridge&) = delete;

  void Close();

  void SetStatusText(const std::string& text) override;
  void SetMenuLabel(const std::string& label) override;
  void SetVerdict(ItemKey item, Verdict verdict, const VerdictCause& cause) override;
  std::vector<ItemKey> Children(ItemKey parent) override;
  bool Describe(ItemKey item, ItemFacts& facts) override;
  bool StoreSize(ItemKey item, uint32_t size) override;
  void ReconcileEntry(ItemKey entry) override;
  void SaveTopic(ItemKey folder) override;

 private:
  // Runs work on the context's thread and waits for it. False, with work not run, once closed.
  bool RunOnWindowThread(const std::function<void()>& work);

  QObject& context_;
  CheckView& target_;
  std::mutex mutex_;
  std::condition_variable ran_;
  bool closed_ = false;  // under mutex_; written on the context's thread only
};
