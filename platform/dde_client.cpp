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

// Runs rounds, and so serves everything that arrives, until `done` holds or the deadline passes.
// `done` is checked before the deadline, so a reply that has arrived is never thrown away.
template <class Done>
void Engine::WaitFor(const ConnPtr& c, SteadyClock::time_point deadline, Done done) {
  ++c->waiters;
  for (;;) {
    DeliverDisconnects();
    if (done()) break;
    int left = MillisecondsLeft(deadline);
    if (left <= 0) break;
    RunRound(left);
  }
  --c->waiters;
  UpdateWake();
}

ConvHandle Engine::Connect(const std::string& service, const std::string& topic, int timeoutMs) {
  if (!Ready() || timeoutMs <= 0) return 0;
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
    if (status != sock::ConnectStatus::Busy || left <= 0) return 0;
    DeliverDisconnects();
    RunRound(std::min(left, kBusyListenerRetryMs));  // the listener may be this instance
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

std::optional<PendingReply> Engine::Transact(ConvHandle conv, MessageType type,
                                                     const std::string& item, int timeoutMs) {
  if (!Ready() || timeoutMs <= 0) return std::nullopt;
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
