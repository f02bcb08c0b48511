#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/dde_names.h"

namespace {

int OpenLockFile(const std::string& dir, std::string* why) {
  if (!dde::names::PrepareRuntimeDir(dir)) {
    if (why) *why = "the folder " + dir + " cannot be used";
    return -1;
  }
  const std::string path = dir + "/hopwise.lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0 && why) *why = path + ": " + std::strerror(errno);
  return fd;
}

}  // namespace

InstanceLock::~InstanceLock() {
  ::close(fd_);
}

std::unique_ptr<InstanceLock> InstanceLock::Acquire(const std::string& dir, std::string* why) {
  const int fd = OpenLockFile(dir, why);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (why) *why = "Hopwise is already running.";
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

bool InstanceLock::IsHeld(const std::string& dir) {
  const int fd = OpenLockFile(dir, nullptr);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}
