#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Thin wrappers over the Unix stream sockets of the transport. Every descriptor made here is
// non-blocking and close-on-exec; sends never raise SIGPIPE; EINTR is retried.
namespace dde::sock {

// A new unconnected socket, or -1.
int NewSocket();

enum class ConnectStatus {
  Connected,
  Busy,    // the listener's queue is full: someone is there, try again shortly
  Absent,  // no such socket file, or nobody listening on it (a stale file)
  Failed,
};
ConnectStatus ConnectTo(int fd, const std::string& path);

// A socket bound at `path` and listening, or -1 (the path must not exist).
int Listen(const std::string& path);

// The user id of the process at the other end of a connected socket.
std::optional<uid_t> PeerUid(int fd);

// Sends what the socket takes now: the count sent (0 when it would block), or -1 when the peer is gone.
ptrdiff_t SendSome(int fd, const uint8_t* bytes, size_t count);

inline constexpr ptrdiff_t kWouldBlock = -1;
inline constexpr ptrdiff_t kBroken = -2;
// Reads what is there: the count read, 0 at the end of the stream, kWouldBlock or kBroken.
ptrdiff_t ReceiveSome(int fd, uint8_t* bytes, size_t count);

// Closes fd (if >= 0) and sets it to -1.
void CloseFd(int& fd);

// An exclusive lock on a folder, held while the object lives. Registering and replacing socket
// files happens under it, so two programs cannot both decide that a stale name is theirs. It is
// waited for kFolderLockWaitMs at most; Held() tells whether it was had.
inline constexpr int kFolderLockWaitMs = 250;
class FolderLock {
 public:
  explicit FolderLock(const std::string& dir);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool Held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace dde::sock
