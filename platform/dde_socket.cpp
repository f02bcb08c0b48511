#include "platform/dde_socket.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace dde::sock {
namespace {

bool FillAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.data(), path.size());
  return true;
}

}  // namespace

int NewSocket() {
  return socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

ConnectStatus ConnectTo(int fd, const std::string& path) {
  sockaddr_un addr;
  if (!FillAddress(path, addr)) return ConnectStatus::Failed;
  int rc;
  do {
    rc = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  } while (rc < 0 && errno == EINTR);
  if (rc == 0) return ConnectStatus::Connected;
  switch (errno) {
    case EAGAIN:
      return ConnectStatus::Busy;
    case ENOENT:
    case ECONNREFUSED:
      return ConnectStatus::Absent;
    default:
      return ConnectStatus::Failed;
  }
}

int Listen(const std::string& path) {
  sockaddr_un addr;
  if (!FillAddress(path, addr)) return -1;
  int fd = NewSocket();
  if (fd < 0) return -1;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 64) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

std::optional<uid_t> PeerUid(int fd) {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || len != sizeof cred) return std::nullopt;
  return cred.uid;
}

ptrdiff_t SendSome(int fd, const uint8_t* bytes, size_t count) {
  for (;;) {
    ssize_t n = send(fd, bytes, count, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return -1;
  }
}

ptrdiff_t ReceiveSome(int fd, uint8_t* bytes, size_t count) {
  for (;;) {
    ssize_t n = recv(fd, bytes, count, MSG_DONTWAIT);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kWouldBlock;
    return kBroken;
  }
}

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);  // Linux releases the descriptor even when close reports EINTR
  fd = -1;
}

// Another program holds the lock for the few milliseconds of a registration; one that holds it
// longer is not waited for.
FolderLock::FolderLock(const std::string& dir) {
  fd_ = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd_ < 0) return;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kFolderLockWaitMs);
  for (;;) {
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      held_ = true;
      return;
    }
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= end) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

FolderLock::~FolderLock() {
  CloseFd(fd_);
}

}  // namespace dde::sock
