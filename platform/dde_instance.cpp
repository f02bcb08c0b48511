#include "platform/dde_instance.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/dde_engine.h"
#include "platform/dde_names.h"
#include "platform/dde_socket.h"

namespace dde {

namespace {

constexpr size_t kReadChunk = 256 * 1024;
// Dispatch runs at most this many rounds, so that a peer that never stops sending cannot hold
// the event loop; what is left keeps EventFd() readable.
constexpr int kMaxRoundsPerDispatch = 16;

}  // namespace

// Closes everything without a word to the callback: peers see their conversations end.
Engine::~Engine() {
  for (auto& [key, l] : listeners) CloseListener(l);
  for (auto& [token, c] : connections) {
    if (c->HasOutput()) Flush(*c);  // one last try, without waiting
    sock::CloseFd(c->fd);
    c->state = ConnState::Closed;
  }
  sock::CloseFd(wakeFd);
  sock::CloseFd(epollFd);
  sock::CloseFd(stopFd);
}

Instance::Instance(std::string runtimeDir) : engine_(std::make_unique<Engine>()) {
  engine_->dir = runtimeDir.empty() ? names::DefaultRuntimeDir() : std::move(runtimeDir);
  engine_->stopFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Instance::~Instance() = default;

bool Instance::Initialize(Callback callback) {
  Engine& d = *engine_;
  if (d.Ready()) {
    d.callback = std::move(callback);
    return true;
  }
  if (!names::PrepareRuntimeDir(d.dir)) return false;
  d.epollFd = epoll_create1(EPOLL_CLOEXEC);
  d.wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  epoll_event e{};
  e.events = EPOLLIN;
  e.data.u64 = 0;
  if (d.epollFd < 0 || d.wakeFd < 0 || epoll_ctl(d.epollFd, EPOLL_CTL_ADD, d.wakeFd, &e) != 0) {
    sock::CloseFd(d.wakeFd);
    sock::CloseFd(d.epollFd);
    return false;
  }
  d.readBuffer.resize(kReadChunk);
  d.callback = std::move(callback);
  return true;
}

bool Instance::RegisterService(const std::string& name) {
  return engine_->Register(name);
}

void Instance::UnregisterService(const std::string& name) {
  engine_->Unregister(name);
}

ConvHandle Instance::Connect(const std::string& service, const std::string& topic, int timeoutMs) {
  return engine_->Connect(service, topic, timeoutMs);
}

std::optional<Bytes> Instance::Request(ConvHandle conv, const std::string& item, int timeoutMs) {
  std::optional<PendingReply> reply = engine_->Transact(conv, wire::MessageType::Request, item, timeoutMs);
  if (!reply) return std::nullopt;
  return std::move(reply->data);
}

uint32_t Instance::Poke(ConvHandle conv, const std::string& item, int timeoutMs) {
  std::optional<PendingReply> reply = engine_->Transact(conv, wire::MessageType::Poke, item, timeoutMs);
  return reply ? reply->value : 0;
}

void Instance::Disconnect(ConvHandle conv) {
  auto it = engine_->conversations.find(conv);
  if (it == engine_->conversations.end()) return;
  ConnPtr c = it->second;
  engine_->EndLocally(c);
}

bool Instance::IsConnected(ConvHandle conv) const {
  auto it = engine_->conversations.find(conv);
  return it != engine_->conversations.end() && it->second->state == ConnState::Open;
}

void Instance::SetInterruptFd(int fd) {
  engine_->interruptFd = fd;
}

// Async-signal-safe: one write to an eventfd made at construction.
void Instance::Interrupt() {
  uint64_t one = 1;
  [[maybe_unused]] ssize_t n = write(engine_->stopFd, &one, sizeof one);
}

bool Instance::Interrupted() const {
  return engine_->Interrupted();
}

int Instance::EventFd() const {
  return engine_->epollFd;
}

void Instance::Dispatch() {
  Engine& d = *engine_;
  if (!d.Ready()) return;
  d.ResumeAccepting();  // a descriptor may have come free elsewhere in the program
  for (int round = 0; round < kMaxRoundsPerDispatch; ++round) {
    d.DeliverDisconnects();
    if (d.RunRound(0) == 0) break;
  }
  d.DeliverDisconnects();
}

Instance::Load Instance::CurrentLoad() const {
  return {engine_->connections.size(), engine_->heldInput, engine_->queuedOutput};
}

const std::string& Instance::RuntimeDir() const {
  return engine_->dir;
}

bool Instance::ServiceAnswers(const std::string& service) const {
  const std::optional<std::string> path = names::SocketPath(engine_->dir, service);
  if (!path) return false;
  int fd = sock::NewSocket();
  if (fd < 0) return false;
  const sock::ConnectStatus status = sock::ConnectTo(fd, *path);
  sock::CloseFd(fd);
  return status == sock::ConnectStatus::Connected || status == sock::ConnectStatus::Busy;
}

}  // namespace dde
