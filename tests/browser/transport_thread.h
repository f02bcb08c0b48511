#pragma once

#include <poll.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "browser/browser_peer.h"
#include "platform/dde_instance.h"

// A transport instance on a thread of its own, so that the other side of a conversation answers
// while the test's thread waits in a transaction. Everything touching the instance runs on that
// thread through Run().
class TransportThread {
 public:
  // dispatch: what to do when the instance has work (default: the instance's own Dispatch()).
  TransportThread() : thread_([this] { Loop(); }) {}
  ~TransportThread() {
    stop_ = true;
    thread_.join();
  }

  dde::Instance& Instance() { return instance_; }
  void SetDispatch(std::function<void()> dispatch) { dispatch_ = std::move(dispatch); }

  // Runs fn on the thread; the future holds its result.
  template <typename F>
  auto Run(F fn) -> std::future<decltype(fn())> {
    auto task = std::make_shared<std::packaged_task<decltype(fn())()>>(std::move(fn));
    auto result = task->get_future();
    std::lock_guard lock(mutex_);
    tasks_.push_back([task] { (*task)(); });
    return result;
  }
  // Runs fn on the thread and waits for it.
  template <typename F>
  auto Call(F fn) {
    return Run(std::move(fn)).get();
  }

 private:
  void Loop() {
    while (!stop_) {
      std::function<void()> task;
      {
        std::lock_guard lock(mutex_);
        if (!tasks_.empty()) {
          task = std::move(tasks_.front());
          tasks_.pop_front();
        }
      }
      if (task) {
        task();
        continue;
      }
      if (initialized_) {
        pollfd fd{instance_.EventFd(), POLLIN, 0};
        if (poll(&fd, 1, 5) > 0) dispatch_ ? dispatch_() : instance_.Dispatch();
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }
  }

 public:
  // Set by the test (from a task) once Initialize succeeded, so the loop starts polling.
  std::atomic<bool> initialized_{false};

 private:
  dde::Instance instance_;
  std::function<void()> dispatch_;
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The browser's side on a thread of its own: a BrowserPeer serving "NETSCAPE", recording every
// transaction it receives.
class PeerThread {
 public:
  explicit PeerThread(BrowserPeer::Hooks hooks = {}) {
    auto served = hooks.served;
    hooks.served = [this, served](const BrowserPeer::Served& s) {
      {
        std::lock_guard lock(mutex_);
        served_.push_back(s);
      }
      if (served) served(s);
    };
    peer_ = std::make_unique<BrowserPeer>(thread_.Instance(), std::move(hooks));
    thread_.SetDispatch([this] { peer_->Dispatch(); });
    started = thread_.Call([this] { return peer_->Start(); });
    thread_.initialized_ = started;
  }
  ~PeerThread() {
    thread_.Call([this] { peer_.reset(); });  // the peer is used on its own thread only
  }

  // Runs fn(peer) on the peer's thread.
  template <typename F>
  auto Run(F fn) {
    return thread_.Run([this, fn = std::move(fn)] { return fn(*peer_); });
  }
  template <typename F>
  auto Call(F fn) {
    return Run(std::move(fn)).get();
  }

  std::vector<BrowserPeer::Served> Served() const {
    std::lock_guard lock(mutex_);
    return served_;
  }
  // The requests and pokes received (connections left out), as "topic item".
  std::vector<std::string> Transactions() const {
    std::vector<std::string> out;
    for (const auto& s : Served()) {
      if (s.kind == "request" || s.kind == "poke") out.push_back(s.topic + " " + s.item);
    }
    return out;
  }

  bool started = false;

 private:
  TransportThread thread_;
  std::unique_ptr<BrowserPeer> peer_;
  mutable std::mutex mutex_;
  std::vector<BrowserPeer::Served> served_;
};

// Handles this thread's instance (through dispatch, default its own Dispatch()) until the future
// is ready or the time is up.
template <typename T>
bool PumpUntil(dde::Instance& instance, std::future<T>& done, std::function<void()> dispatch = {},
               std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (done.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
    if (std::chrono::steady_clock::now() > end) return false;
    pollfd fd{instance.EventFd(), POLLIN, 0};
    if (poll(&fd, 1, 5) > 0) dispatch ? dispatch() : instance.Dispatch();
  }
  return true;
}

// A bare instance on its own thread: a client, or a server made by hand with its own callback.
class RawSide {
 public:
  explicit RawSide(dde::Callback callback = [](const dde::Transaction&) { return dde::Result{}; }) {
    started = thread.Call([&] { return thread.Instance().Initialize(callback); });
    thread.initialized_ = started;
  }
  bool Serve(const std::string& name) {
    return thread.Call([&] { return thread.Instance().RegisterService(name); });
  }
  // One request / poke in a conversation of its own; runs on this side's thread.
  std::future<std::optional<dde::Bytes>> Request(std::string service, std::string topic, std::string item) {
    return thread.Run([this, service, topic, item] {
      std::optional<dde::Bytes> reply;
      if (dde::ConvHandle conv = thread.Instance().Connect(service, topic)) {
        reply = thread.Instance().Request(conv, item);
        thread.Instance().Disconnect(conv);
      }
      return reply;
    });
  }
  std::future<uint32_t> Poke(std::string service, std::string topic, std::string item) {
    return thread.Run([this, service, topic, item] {
      uint32_t result = 0;
      if (dde::ConvHandle conv = thread.Instance().Connect(service, topic)) {
        result = thread.Instance().Poke(conv, item);
        thread.Instance().Disconnect(conv);
      }
      return result;
    });
  }

  bool started = false;
  TransportThread thread;
};
