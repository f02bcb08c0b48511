// What peers may cost an instance: how many connections it keeps, what it buffers for them, and
// what it does when the process runs out of descriptors.
#include <sys/epoll.h>

#include "platform/dde_engine.h"

namespace dde {

// Brings the budgets' count of what the connection holds up to date (nothing once it is closed).
void Engine::Account(Connection& c) {
  const size_t in = c.fd >= 0 ? c.reader.HeldBytes() : 0;
  const size_t out = c.fd >= 0 ? c.out.capacity() : 0;
  heldInput = heldInput - c.heldIn + in;
  queuedOutput = queuedOutput - c.heldOut + out;
  c.heldIn = in;
  c.heldOut = out;
}

// Past a budget, the connection holding the most of it goes, as if its peer had hung up, until
// the rest fits. Any connection may go, a conversation of this side's own included.
void Engine::EnforceBudgets() {
  while (heldInput > kMaxHeldInputBytes && DropLargest(&Connection::heldIn)) {
  }
  while (queuedOutput > kMaxQueuedBytes && DropLargest(&Connection::heldOut)) {
  }
}

bool Engine::DropLargest(size_t Connection::*held) {
  ConnPtr largest;
  for (const auto& [token, c] : connections) {
    if (!largest || (*c).*held > (*largest).*held) largest = c;
  }
  if (!largest || (*largest).*held == 0) return false;
  if (largest->state == ConnState::Draining) {
    Release(*largest);
  } else {
    EndByPeer(largest);
  }
  return true;
}

// Closes the accepted connection that has been quiet longest (none whose frame the callback is
// handling, and not `keep`), as if its peer had hung up. False when there is none to close.
bool Engine::EvictQuietest(const Connection* keep) {
  ConnPtr quietest;
  for (const auto& [token, c] : connections) {
    if (c->role != Role::Server || c->busy || c.get() == keep) continue;
    if (!quietest || c->lastFrame < quietest->lastFrame) quietest = c;
  }
  if (!quietest) return false;
  if (quietest->state == ConnState::Draining) {
    Release(*quietest);
  } else {
    EndByPeer(quietest);
  }
  return true;
}

size_t Engine::ServedCount() const {
  size_t served = 0;
  for (const auto& [token, c] : connections) served += c->role == Role::Server ? 1 : 0;
  return served;
}

// Out of descriptors with nothing of its own to give up: the listeners are not watched until a
// connection closes (or the next Dispatch), so that a listener nobody can accept from does not
// keep the event loop busy.
void Engine::PauseAccepting() {
  for (auto& [key, l] : listeners) {
    epoll_event e{};
    e.data.u64 = l.token;
    if (!l.paused && epoll_ctl(epollFd, EPOLL_CTL_MOD, l.fd, &e) == 0) l.paused = true;
  }
  acceptPaused = true;
}

void Engine::ResumeAccepting() {
  if (!acceptPaused) return;
  acceptPaused = false;
  for (auto& [key, l] : listeners) {
    epoll_event e{};
    e.events = EPOLLIN;
    e.data.u64 = l.token;
    if (l.paused && epoll_ctl(epollFd, EPOLL_CTL_MOD, l.fd, &e) == 0) l.paused = false;
  }
}

}  // namespace dde
