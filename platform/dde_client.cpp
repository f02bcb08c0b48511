#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

#include "platform/dde_engine.h"
#include "platform/dde_names.h"
#include "platform/dde_socket.h"

namespace dde {

using wire::Message;
using wire::MessageType;

namespace {

// How long a client lets a listener with a full queue catch up before trying again.
constexpr int kBusyListenerRetryMs = 10;

int MillisecondsLeft(SteadyClock::time_point deadline) {
  auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
}

}  // namespace

// Runs rounds, and so serves everything that arrives, until `done` holds, the deadline passes or
// the wait is interrupted. `done` is checked first, so a reply that has arrived is never thrown away.
template <class Done>
void Engine::WaitFor(const ConnPtr& c, SteadyClock::time_point deadline, Done done) {
  ++c->waiters;
  for (;;) {
    DeliverDisconnects();
    if (done()) break;
    int left = MillisecondsLeft(deadline);
    if (left <= 0 || Interrupted()) break;
    WaitRound(left);
  }
  --c->waiters;
  UpdateWake();
}

// One round of a wait: sleeps until there is something to serve, the time is up or an interrupt
// comes, and serves only in the first case.
void Engine::WaitRound(int timeoutMs) {
  pollfd fds[3] = {{epollFd, POLLIN, 0}, {stopFd, POLLIN, 0}, {interruptFd, POLLIN, 0}};
  int ready = poll(fds, interruptFd >= 0 ? 3 : 2, timeoutMs);
  if (ready <= 0 || fds[1].revents != 0 || (fds[2].revents & ~POLLNVAL) != 0) return;
  RunRound(0);
}

// A closed write end (POLLHUP) interrupts too: the descriptor reads as readable then. A descriptor
// the program closed (POLLNVAL) does not.
bool Engine::Interrupted() const {
  pollfd fds[2] = {{stopFd, POLLIN, 0}, {interruptFd, POLLIN, 0}};
  if (poll(fds, interruptFd >= 0 ? 2 : 1, 0) <= 0) return false;
  return fds[0].revents != 0 || (fds[1].revents & ~POLLNVAL) != 0;
}

ConvHandle Engine::Connect(const std::string& service, const std::string& topic, int timeoutMs) {
  if (!Ready() || timeoutMs <= 0 || Interrupted()) return 0;
  std::optional<std::string> path = names::SocketPath(dir, service);
  if (!path) return 0;
  auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  int fd = -1;
  for (;;) {
    fd = sock::NewSocket();
    if (fd < 0) return 0;
    sock::ConnectStatus status = sock::ConnectTo(fd, *path);
    if (status == sock::ConnectStatus::Connected) break;
    sock::CloseFd(fd);
    int left = MillisecondsLeft(deadline);
    if (status != sock::ConnectStatus::Busy || left <= 0 || Interrupted()) return 0;
    DeliverDisconnects();
    WaitRound(std::min(left, kBusyListenerRetryMs));  // the listener may be this instance
  }
  std::optional<uid_t> uid = sock::PeerUid(fd);
  if (!uid || *uid != geteuid()) {
    sock::CloseFd(fd);
    return 0;
  }
  auto c = std::make_shared<Connection>();
  c->token = nextToken++;
  c->fd = fd;
  c->role = Role::Client;
  c->service = service;
  c->topic = topic;
  connections[c->token] = c;
  if (!Watch(*c)) {
    Release(*c);
    return 0;
  }
  Message hello;
  hello.type = MessageType::Connect;
  hello.service = service;
  hello.topic = topic;
  if (Send(c, hello)) WaitFor(c, deadline, [&] { return c->state != ConnState::Handshake; });
  if (c->state == ConnState::Open) return c->conv;
  // Refused, timed out, or accepted and gone again before this call returned: no conversation.
  EndLocally(c);
  return 0;
}

std::optional<PendingReply> Engine::Transact(ConvHandle conv, MessageType type, const std::string& item,
                                             int timeoutMs) {
  if (!Ready() || timeoutMs <= 0 || Interrupted()) return std::nullopt;
  auto it = conversations.find(conv);
  if (it == conversations.end()) return std::nullopt;
  ConnPtr c = it->second;
  if (c->role != Role::Client || c->state != ConnState::Open) return std::nullopt;
  auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  Message m;
  m.type = type;
  m.transaction = c->nextTransaction++;
  m.item = item;
  uint32_t id = m.transaction;
  c->pending[id].isPoke = type == MessageType::Poke;
  // The reply lands in this entry. After the wait it is looked up and taken out, never made
  // afresh by operator[]: an entry that is missing or unanswered means no reply.
  auto answered = [&] {
    auto entry = c->pending.find(id);
    return entry == c->pending.end() || entry->second.done;
  };
  if (Send(c, m)) WaitFor(c, deadline, [&] { return c->state != ConnState::Open || answered(); });
  auto entry = c->pending.extract(id);
  if (entry.empty() || !entry.mapped().done) return std::nullopt;
  return std::move(entry.mapped());
}

}  // namespace dde
