#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One running process: its id and its executable name.
struct ProcessEntry {
  uint32_t pid = 0;
  std::string exeName;
};

// The list of running processes.
class ProcessList {
 public:
  virtual ~ProcessList() = default;
  // Nothing when the list cannot be read at all.
  virtual std::optional<std::vector<ProcessEntry>> Snapshot() = 0;
};

// Reads /proc: each process's name as /proc/PID/comm gives it, for the processes of one user (by
// default this process's user: another user's browser can never reach this user's Hopwise).
// Processes that end while the list is read are skipped.
class ProcProcessList : public ProcessList {
 public:
  explicit ProcProcessList(std::string procRoot = "/proc");
  ProcProcessList(std::string procRoot, uint32_t owner) : procRoot_(std::move(procRoot)), owner_(owner) {}
  std::optional<std::vector<ProcessEntry>> Snapshot() override;

 private:
  std::string procRoot_;
  uint32_t owner_;
};
