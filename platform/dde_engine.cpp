#include "platform/dde_engine.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/dde_names.h"
#include "platform/dde_socket.h"

namespace dde {

using wire::Message;
using wire::MessageType;

namespace {

constexpr int kMaxEvents = 32;
// Reply data that does not fit one frame (type byte and transaction number included) goes as "no data".
constexpr size_t kMaxReplyData = kMaxFrameBytes - 5;

}  // namespace

Result Engine::Call(const Transaction& t) {
  Callback cb = callback;  // the callback may replace itself through Initialize
  if (!cb) return {};
  try {
    return cb(t);
  } catch (...) {
    return {};  // a throwing callback answers as one that refuses: no data, no acknowledgement
  }
}

bool Engine::Watch(Connection& c) {
  epoll_event e{};
  e.events = EPOLLIN | EPOLLRDHUP;
  e.data.u64 = c.token;
  if (epoll_ctl(epollFd, EPOLL_CTL_ADD, c.fd, &e) != 0) return false;
  c.interest = e.events;
  return true;
}

// Busy connections are watched one-shot and only for output: their input waits until the
// callback is done with the frame before it, and a peer that hangs up meanwhile cannot make the
// nested waits spin on a level-triggered hang-up. A connection whose peer leaves its replies
// unread is watched for output only, until the peer has taken them.
void Engine::SetInterest(Connection& c) {
  if (c.fd < 0) return;
  const uint32_t out = c.HasOutput() ? uint32_t{EPOLLOUT} : 0u;
  uint32_t ev;
  if (c.state == ConnState::Draining) {
    ev = EPOLLOUT;
  } else if (c.busy) {
    ev = EPOLLONESHOT | out;
  } else if (c.readPaused) {
    ev = out;
  } else {
    ev = EPOLLIN | EPOLLRDHUP | out;
  }
  if (ev == c.interest && !(ev & EPOLLONESHOT)) return;
  epoll_event e{};
  e.events = ev;
  e.data.u64 = c.token;
  epoll_ctl(epollFd, EPOLL_CTL_MOD, c.fd, &e);
  c.interest = ev;
}

int Engine::RunRound(int timeoutMs) {
  epoll_event events[kMaxEvents];
  int n = epoll_wait(epollFd, events, kMaxEvents, timeoutMs);
  if (n <= 0) return 0;  // EINTR counts as an empty round
  for (int i = 0; i < n; ++i) HandleEvent(events[i].data.u64, events[i].events);
  return n;
}

void Engine::HandleEvent(uint64_t token, uint32_t events) {
  if (token == 0) return;  // the wake descriptor: DeliverDisconnects follows every round
  if (auto l = listenerByToken.find(token); l != listenerByToken.end()) {
    Accept(l->second);
    return;
  }
  auto it = connections.find(token);
  if (it == connections.end()) return;  // ended earlier in this round
  ConnPtr c = it->second;
  OnConnectionEvent(c, events);
}

void Engine::OnConnectionEvent(const ConnPtr& c, uint32_t events) {
  if (c->state == ConnState::Draining) {
    if (!Flush(*c) || !c->HasOutput()) Release(*c);
    return;
  }
  if (c->busy) {
    // Only output is watched; with none left the one-shot stays disarmed until the callback returns.
    if (c->HasOutput()) {
      if (!Flush(*c)) return EndByPeer(c);
      if (c->HasOutput()) SetInterest(*c);
    }
    return;
  }
  const bool wasPaused = c->readPaused;
  if ((events & EPOLLOUT) && !Flush(*c)) return EndByPeer(c);
  SetInterest(*c);
  if (c->readPaused) {
    if (events & (EPOLLHUP | EPOLLERR)) EndByPeer(c);  // gone without taking its replies
    return;
  }
  if (wasPaused) ProcessFrames(c);  // what was read before the pause
  if (events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) ReadFrom(c);
}

void Engine::ReadFrom(const ConnPtr& c) {
  ptrdiff_t n = sock::ReceiveSome(c->fd, readBuffer.data(), readBuffer.size());
  if (n == sock::kWouldBlock) return;
  if (n <= 0) return EndByPeer(c);  // end of stream or a broken connection
  c->reader.Append(readBuffer.data(), static_cast<size_t>(n));
  Account(*c);
  EnforceBudgets();  // a peer that sends more than the budget holds goes before it is served
  ProcessFrames(c);
}

void Engine::ProcessFrames(const ConnPtr& c) {
  while ((c->state == ConnState::Handshake || c->state == ConnState::Open) && !c->busy && !c->readPaused) {
    Message m;
    wire::ReadStatus status = c->reader.Next(m);
    Account(*c);
    if (status == wire::ReadStatus::NeedMore) return;
    if (status != wire::ReadStatus::Ready) return EndByPeer(c);
    c->lastFrame = ++activity;
    if (c->role == Role::Server) {
      OnServerMessage(c, m);
    } else {
      OnClientMessage(c, m);
    }
  }
}

void Engine::OnServerMessage(const ConnPtr& c, Message& m) {
  if (c->state == ConnState::Handshake) {
    if (m.type != MessageType::Connect) return EndByPeer(c);
    return ServeConnect(c, m);
  }
  if (m.type != MessageType::Request && m.type != MessageType::Poke) return EndByPeer(c);
  ServeTransaction(c, m);
}

void Engine::OnClientMessage(const ConnPtr& c, Message& m) {
  if (c->state == ConnState::Handshake) {
    if (m.type == MessageType::Accept) {
      c->conv = nextConv++;
      c->state = ConnState::Open;
      conversations[c->conv] = c;
    } else if (m.type == MessageType::Refuse) {
      Release(*c);
    } else {
      EndByPeer(c);
    }
    return;
  }
  bool isReply =
      m.type == MessageType::Data || m.type == MessageType::NoData || m.type == MessageType::PokeResult;
  if (!isReply) return EndByPeer(c);
  auto it = c->pending.find(m.transaction);
  if (it == c->pending.end()) return;  // its wait is over: a late reply is dropped
  PendingReply& p = it->second;
  if (p.done || p.isPoke != (m.type == MessageType::PokeResult)) return EndByPeer(c);
  p.done = true;
  if (m.type == MessageType::Data) p.data = std::move(m.data);
  p.value = m.value;
}

void Engine::ServeConnect(const ConnPtr& c, const Message& m) {
  auto l = listeners.find(c->nameKey);
  std::optional<std::string> asked = names::SocketFileName(m.service);
  if (m.version != wire::kProtocolVersion || l == listeners.end() || asked != c->nameKey) return Refuse(c);
  c->service = l->second.spelling;
  c->topic = m.topic;
  Result r = CallWhileBusy(c, {TransactionType::Connect, 0, c->service, c->topic, {}});
  if (c->state != ConnState::Handshake) return;
  if (r.value == 0) return Refuse(c);
  c->conv = nextConv++;
  c->state = ConnState::Open;
  conversations[c->conv] = c;
  Message accept;
  accept.type = MessageType::Accept;
  Send(c, accept);
  // Confirmed even when the peer has already gone: its Disconnect then follows.
  CallWhileBusy(c, {TransactionType::ConnectConfirm, c->conv, c->service, c->topic, {}});
}

void Engine::ServeTransaction(const ConnPtr& c, const Message& m) {
  bool poke = m.type == MessageType::Poke;
  Result r = CallWhileBusy(
      c, {poke ? TransactionType::Poke : TransactionType::Request, c->conv, c->service, c->topic, m.item});
  if (c->state != ConnState::Open) return;  // ended meanwhile, from either side
  Message reply;
  reply.transaction = m.transaction;
  if (poke) {
    reply.type = MessageType::PokeResult;
    reply.value = r.value;
  } else if (r.data && r.data->size() <= kMaxReplyData) {
    reply.type = MessageType::Data;
    reply.data = std::move(*r.data);
  } else {
    reply.type = MessageType::NoData;
  }
  Send(c, reply);
}

void Engine::Refuse(const ConnPtr& c) {
  Message refuse;
  refuse.type = MessageType::Refuse;
  Send(c, refuse);
  EndLocally(c);
}

Result Engine::CallWhileBusy(const ConnPtr& c, const Transaction& t) {
  c->busy = true;
  SetInterest(*c);
  Result r = Call(t);
  c->busy = false;
  SetInterest(*c);
  UpdateWake();
  return r;
}

bool Engine::Send(const ConnPtr& c, const Message& m) {
  if (c->state == ConnState::Draining || c->state == ConnState::Closed) return false;
  std::optional<Bytes> frame = wire::EncodeFrame(m);
  if (!frame) return false;
  c->out.insert(c->out.end(), frame->begin(), frame->end());
  if (!Flush(*c)) {
    EndByPeer(c);
    return false;
  }
  if (c->Queued() > kReadPauseBytes) c->readPaused = true;
  SetInterest(*c);
  EnforceBudgets();
  return c->state != ConnState::Closed;
}

// Sends what the socket takes now. Once everything has gone, the buffer is given back and the
// connection is read from again.
bool Engine::Flush(Connection& c) {
  while (c.HasOutput()) {
    ptrdiff_t n = sock::SendSome(c.fd, c.out.data() + c.outSent, c.out.size() - c.outSent);
    if (n < 0) return false;
    if (n == 0) break;
    c.outSent += static_cast<size_t>(n);
  }
  if (!c.HasOutput()) {
    GiveBack(c.out);
    c.outSent = 0;
    c.readPaused = false;
  } else if (c.outSent > c.out.size() / 2) {
    // What was sent goes once it is most of the buffer, for a peer that never quite catches up.
    c.out.erase(c.out.begin(), c.out.begin() + static_cast<std::ptrdiff_t>(c.outSent));
    c.outSent = 0;
  }
  Account(c);
  return true;
}

// The peer hung up, broke the connection or sent a bad frame. A conversation's callback hears
// of it once, from DeliverDisconnects.
void Engine::EndByPeer(const ConnPtr& c) {
  if (c->state == ConnState::Closed) return;
  bool tell = c->state == ConnState::Open && conversations.count(c->conv) > 0;
  Release(*c);
  if (tell) {
    endedByPeer.push_back(c->conv);
    UpdateWake();
  }
}

// This side ends it: no Disconnect for its own callback; what was queued to send still goes.
void Engine::EndLocally(const ConnPtr& c) {
  if (c->conv != 0) {
    conversations.erase(c->conv);
    std::erase(endedByPeer, c->conv);
    UpdateWake();
  }
  if (c->state == ConnState::Closed || c->state == ConnState::Draining) return;
  if (c->HasOutput()) {
    c->state = ConnState::Draining;
    c->reader = wire::FrameReader();  // nothing more is read
    Account(*c);
    SetInterest(*c);
  } else {
    Release(*c);
  }
}

// Closes the descriptor and gives back the buffers; a descriptor is free again for accepting.
void Engine::Release(Connection& c) {
  if (c.fd >= 0) epoll_ctl(epollFd, EPOLL_CTL_DEL, c.fd, nullptr);
  sock::CloseFd(c.fd);
  c.state = ConnState::Closed;
  c.reader = wire::FrameReader();
  Buffer().swap(c.out);
  c.outSent = 0;
  Account(c);
  connections.erase(c.token);
  ResumeAccepting();
}

// Tells the callback of conversations the peer ended, except those a transaction still waits on
// or whose frame the callback is handling; those are told at the first round after.
void Engine::DeliverDisconnects() {
  for (;;) {
    ConnPtr due;
    for (auto i = endedByPeer.begin(); i != endedByPeer.end();) {
      auto it = conversations.find(*i);
      if (it == conversations.end()) {
        i = endedByPeer.erase(i);
        continue;
      }
      if (it->second->Held()) {
        ++i;
        continue;
      }
      due = it->second;
      conversations.erase(it);
      endedByPeer.erase(i);
      break;
    }
    if (!due) break;
    Call({TransactionType::Disconnect, due->conv, due->service, due->topic, {}});
  }
  UpdateWake();
}

void Engine::UpdateWake() {
  if (wakeFd < 0) return;
  bool due = std::any_of(endedByPeer.begin(), endedByPeer.end(), [this](ConvHandle conv) {
    auto it = conversations.find(conv);
    return it == conversations.end() || !it->second->Held();
  });
  if (due == wakeSignalled) return;
  uint64_t value = 1;
  ssize_t rc;
  do {
    rc = due ? write(wakeFd, &value, sizeof value) : read(wakeFd, &value, sizeof value);
  } while (rc < 0 && errno == EINTR);
  wakeSignalled = due;
}

}  // namespace dde
