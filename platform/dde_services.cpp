#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/dde_engine.h"
#include "platform/dde_names.h"
#include "platform/dde_socket.h"

namespace dde {

namespace {

// At most this many connections are taken per readiness report, so one busy name cannot starve
// the others.
constexpr int kAcceptsPerEvent = 16;

}  // namespace

// A name is taken when a socket file for it answers. A socket file nobody listens on is left over
// from a program that ended without cleaning up, and is replaced. Anything else at that path (a
// plain file, a folder) is not ours to remove, and the name cannot be registered.
bool Engine::Register(const std::string& name) {
  if (!Ready()) return false;
  std::optional<std::string> key = names::SocketFileName(name);
  std::optional<std::string> path = names::SocketPath(dir, name);
  if (!key || !path) return false;
  if (listeners.count(*key)) return true;  // already ours; the first spelling stays
  sock::FolderLock lock(dir);
  if (!lock.Held()) return false;
  struct stat st {};
  if (lstat(path->c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) return false;
    int probe = sock::NewSocket();
    if (probe < 0) return false;
    sock::ConnectStatus status = sock::ConnectTo(probe, *path);
    sock::CloseFd(probe);
    if (status != sock::ConnectStatus::Absent) return false;
    if (unlink(path->c_str()) != 0 && errno != ENOENT) return false;
  } else if (errno != ENOENT) {
    return false;
  }
  Listener l;
  l.fd = sock::Listen(*path);
  if (l.fd < 0) return false;
  if (stat(path->c_str(), &st) != 0) {
    sock::CloseFd(l.fd);
    return false;
  }
  l.token = nextToken++;
  l.spelling = name;
  l.path = *path;
  l.dev = st.st_dev;
  l.ino = st.st_ino;
  epoll_event e{};
  e.events = EPOLLIN;
  e.data.u64 = l.token;
  if (epoll_ctl(epollFd, EPOLL_CTL_ADD, l.fd, &e) != 0) {
    CloseListener(l);
    return false;
  }
  listenerByToken[l.token] = *key;
  listeners[*key] = std::move(l);
  return true;
}

void Engine::Unregister(const std::string& name) {
  std::optional<std::string> key = names::SocketFileName(name);
  if (!key) return;
  auto it = listeners.find(*key);
  if (it == listeners.end()) return;
  listenerByToken.erase(it->second.token);
  CloseListener(it->second);
  listeners.erase(it);
}

// Closes the listener and removes its socket file, unless another program has put its own there
// since, or keeps the folder locked (then the file stays, and the next registration replaces it).
void Engine::CloseListener(Listener& l) {
  if (l.fd >= 0 && epollFd >= 0) epoll_ctl(epollFd, EPOLL_CTL_DEL, l.fd, nullptr);
  sock::CloseFd(l.fd);
  sock::FolderLock lock(dir);
  if (!lock.Held()) return;
  struct stat st {};
  if (lstat(l.path.c_str(), &st) == 0 && st.st_dev == l.dev && st.st_ino == l.ino) unlink(l.path.c_str());
}

// Out of descriptors, the connection quiet longest makes room for the new one; with none to give
// up, accepting stops until a descriptor is free again (a listener left readable would keep the
// event loop spinning). Past kMaxServedConnections, the quietest goes too.
void Engine::Accept(const std::string& key) {
  auto l = listeners.find(key);
  if (l == listeners.end()) return;
  for (int i = 0; i < kAcceptsPerEvent; ++i) {
    int fd = accept4(l->second.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      bool outOfDescriptors = errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM;
      if (outOfDescriptors && EvictQuietest(nullptr)) continue;
      if (outOfDescriptors) PauseAccepting();
      return;
    }
    std::optional<uid_t> uid = sock::PeerUid(fd);
    if (!uid || *uid != geteuid()) {
      sock::CloseFd(fd);  // only this user's programs may talk to us
      continue;
    }
    auto c = std::make_shared<Connection>();
    c->token = nextToken++;
    c->fd = fd;
    c->role = Role::Server;
    c->nameKey = key;
    c->lastFrame = ++activity;
    connections[c->token] = c;
    if (!Watch(*c)) {
      Release(*c);
    } else if (ServedCount() > kMaxServedConnections && !EvictQuietest(c.get())) {
      Release(*c);
    }
  }
}

}  // namespace dde
