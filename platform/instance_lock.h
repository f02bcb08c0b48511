#pragma once

#include <memory>
#include <string>

// One Hopwise per user: an exclusive lock on "hopwise.lock" in the transport's runtime folder,
// held for the life of the process and given up by the system when the process ends, however it
// ends. Two starts at the same moment cannot both take it.
class InstanceLock {
 public:
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock in dir (made 0700 when missing). Null when another process holds it, or when
  // the folder cannot be used (then why says so).
  static std::unique_ptr<InstanceLock> Acquire(const std::string& dir, std::string* why = nullptr);
  // Whether a running Hopwise holds the lock in dir; the lock is not kept.
  static bool IsHeld(const std::string& dir);

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_;
};
