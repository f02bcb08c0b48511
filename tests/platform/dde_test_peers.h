#pragma once

// Peers for the transport tests: an Instance serving on its own thread, raw sockets that speak
// (or garble) the wire format by hand, and a private socket folder per test.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <queue>
#include <string>
#include <thread>

#include "platform/dde_instance.h"
#include "platform/dde_wire.h"

namespace ddetest {

using Clock = std::chrono::steady_clock;
using Handler = std::function<dde::Result(dde::Instance&, const dde::Transaction&)>;

// A fresh folder under the test's runtime folder; `Dir()` is where the instances keep their sockets.
class TempFolder {
 public:
  explicit TempFolder(const char* base = std::getenv("XDG_RUNTIME_DIR")) {
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ddeXXXXXX";
    root_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  const std::string& Root() const { return root_; }
  std::string Dir() const { return root_ + "/s"; }

 private:
  std::string root_;
};

// Dispatches until `done` holds or `ms` pass; true when it held.
inline bool PumpUntil(dde::Instance& inst, const std::function<bool()>& done, int ms = 2000) {
  auto end = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    inst.Dispatch();
    if (done()) return true;
    if (Clock::now() >= end) return false;
    pollfd p{inst.EventFd(), POLLIN, 0};
    poll(&p, 1, 5);
  }
}

// An Instance on its own thread, serving until destroyed.
class PeerThread {
 public:
  PeerThread(std::string dir, std::string service, Handler handler) {
    std::promise<bool> ready;
    auto registered = ready.get_future();
    thread_ = std::thread([this, dir, service, handler, &ready] {
      dde::Instance inst(dir);
      bool ok = inst.Initialize([&](const dde::Transaction& t) { return handler(inst, t); });
      if (ok && !service.empty()) ok = inst.RegisterService(service);
      ready.set_value(ok);
      Loop(inst);
    });
    registered_ = registered.get();
  }
  ~PeerThread() {
    stop_ = true;
    thread_.join();
  }
  bool Registered() const { return registered_; }

  // Runs f on the peer's thread and waits for it to finish.
  void Run(std::function<void(dde::Instance&)> f) {
    std::packaged_task<void(dde::Instance&)> task(std::move(f));
    auto done = task.get_future();
    {
      std::lock_guard lock(mutex_);
      tasks_.push(std::move(task));
    }
    done.get();
  }

 private:
  void Loop(dde::Instance& inst) {
    while (!stop_) {
      for (;;) {
        std::packaged_task<void(dde::Instance&)> task;
        {
          std::lock_guard lock(mutex_);
          if (tasks_.empty()) break;
          task = std::move(tasks_.front());
          tasks_.pop();
        }
        task(inst);
      }
      pollfd p{inst.EventFd(), POLLIN, 0};
      poll(&p, 1, 5);
      inst.Dispatch();
    }
  }

  std::thread thread_;
  std::atomic<bool> stop_{false};
  bool registered_ = false;
  std::mutex mutex_;
  std::queue<std::packaged_task<void(dde::Instance&)>> tasks_;
};

inline dde::Bytes Frame(const dde::wire::Message& m) {
  return *dde::wire::EncodeFrame(m);
}

inline dde::wire::Message Msg(dde::wire::MessageType type, uint32_t transaction = 0, std::string item = {}) {
  dde::wire::Message m;
  m.type = type;
  m.transaction = transaction;
  m.item = std::move(item);
  return m;
}

inline dde::wire::Message ConnectMsg(std::string service, std::string topic) {
  dde::wire::Message m;
  m.type = dde::wire::MessageType::Connect;
  m.service = std::move(service);
  m.topic = std::move(topic);
  return m;
}

// A blocking socket that writes raw bytes and reads frames, optionally dispatching an instance
// (on this same thread) while it waits.
class RawSocket {
 public:
  explicit RawSocket(int fd) : fd_(fd) {}
  static RawSocket ConnectTo(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      close(fd);
      fd = -1;
    }
    return RawSocket(fd);
  }
  RawSocket(RawSocket&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  ~RawSocket() { Close(); }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  bool Ok() const { return fd_ >= 0; }
  int Fd() const { return fd_; }

  bool Write(const dde::Bytes& bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  }
  bool Write(const dde::wire::Message& m) { return Write(Frame(m)); }

  // The next frame; nothing at the end of the stream, on a bad frame or after `ms`.
  std::optional<dde::wire::Message> Read(dde::Instance* pump = nullptr, int ms = 2000) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      dde::wire::Message m;
      dde::wire::ReadStatus status = reader_.Next(m);
      if (status == dde::wire::ReadStatus::Ready) return m;
      if (status != dde::wire::ReadStatus::NeedMore || ended_ || Clock::now() >= end) return std::nullopt;
      if (pump) pump->Dispatch();
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, pump ? 5 : 50) <= 0) continue;
      uint8_t buf[65536];
      ssize_t n = recv(fd_, buf, sizeof buf, 0);
      if (n <= 0) {
        ended_ = true;
        continue;
      }
      reader_.Append(buf, static_cast<size_t>(n));
    }
  }
  // True when the other side closes the stream within `ms` (frames before the end are skipped).
  bool SeesEnd(dde::Instance* pump = nullptr, int ms = 2000) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (!ended_ && Clock::now() < end) Read(pump, 50);
    return ended_;
  }

 private:
  int fd_;
  dde::wire::FrameReader reader_;
  bool ended_ = false;
};

// A listening socket at `path` whose first connection is handed to `script` on a thread.
class RawServer {
 public:
  RawServer(const std::string& path, std::function<void(RawSocket&)> script) {
    listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    bool ok = bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && listen(listenFd_, 4) == 0;
    thread_ = std::thread([this, ok, script] {
      while (ok && !stop_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        RawSocket s(accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC));
        if (s.Ok()) script(s);
        return;
      }
    });
  }
  ~RawServer() {
    stop_ = true;
    thread_.join();
    close(listenFd_);
  }

 private:
  int listenFd_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace ddetest
