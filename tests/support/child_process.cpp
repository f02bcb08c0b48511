#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <thread>

extern char** environ;

namespace {

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
  std::map<std::string, std::string> entries;
  auto add = [&](const std::string& entry) {
    size_t eq = entry.find('=');
    entries[entry.substr(0, eq)] = entry;
  };
  for (char** e = environ; *e; ++e) add(*e);
  for (const auto& entry : extra) add(entry);
  std::vector<std::string> merged;
  for (auto& [name, entry] : entries) merged.push_back(entry);
  return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const Options& options) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  if (!options.outputPath.empty()) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, options.outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  } else {
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (options.mergeStderr) posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
  }
  if (!options.workingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());
  }
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> env = MergedEnvironment(options.env);
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, Pointers(argv).data(), Pointers(env).data()) !=
      0) {
    pid_ = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  toChild_ = in[1];
  fromChild_ = out[0];
  fcntl(fromChild_, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  CloseInput();
  if (pid_ > 0 && status_ < 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (fromChild_ >= 0) close(fromChild_);
}

bool ChildProcess::Send(const std::string& line) {
  std::string text = line + "\n";
  return toChild_ >= 0 && write(toChild_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

void ChildProcess::CloseInput() {
  if (toChild_ >= 0) close(toChild_);
  toChild_ = -1;
}

bool ChildProcess::ReadSome(std::chrono::milliseconds limit, const Pump& pump) {
  pollfd fds[2] = {{fromChild_, POLLIN, 0}, {pump.fd, POLLIN, 0}};
  if (poll(fds, pump.fd >= 0 ? 2 : 1, static_cast<int>(limit.count())) <= 0) return false;
  if (pump.fd >= 0 && fds[1].revents && pump.run) pump.run();
  if (!fds[0].revents) return false;
  char buffer[4096];
  ssize_t n = read(fromChild_, buffer, sizeof buffer);
  if (n <= 0) {
    if (n == 0) std::this_thread::sleep_for(limit);  // the child closed its output: nothing more comes
    return false;
  }
  Append(buffer, static_cast<size_t>(n));
  return true;
}

// What the process wrote before it ended is still in the pipe: read it all (a grandchild that keeps
// the pipe open must not hold the test, hence the time limit).
void ChildProcess::DrainOutput() {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (fromChild_ >= 0 && std::chrono::steady_clock::now() < end) {
    pollfd p{fromChild_, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) return;
    char buffer[4096];
    ssize_t n = read(fromChild_, buffer, sizeof buffer);
    if (n <= 0) return;
    Append(buffer, static_cast<size_t>(n));
  }
}

void ChildProcess::Append(const char* bytes, size_t count) {
  partial_.append(bytes, count);
  for (size_t nl; (nl = partial_.find('\n')) != std::string::npos; partial_.erase(0, nl + 1)) {
    lines_.push_back(partial_.substr(0, nl));
  }
}

bool ChildProcess::WaitForLine(const std::string& text, std::chrono::milliseconds limit, const Pump& pump) {
  auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    for (; matched_ < lines_.size(); ++matched_) {
      if (lines_[matched_].find(text) != std::string::npos) {
        ++matched_;
        return true;
      }
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    ReadSome(std::min(left, std::chrono::milliseconds(100)), pump);
  }
}

void ChildProcess::Stop(std::chrono::milliseconds grace) {
  if (!Signal(SIGTERM)) return;
  if (Wait(grace) < 0) {
    Signal(SIGKILL);
    Wait();
  }
}

bool ChildProcess::Signal(int signal) {
  return pid_ > 0 && status_ < 0 && kill(pid_, signal) == 0;
}

int ChildProcess::Wait(std::chrono::milliseconds limit) {
  if (pid_ <= 0) return -1;
  auto end = std::chrono::steady_clock::now() + limit;
  while (status_ < 0) {
    int raw = 0;
    pid_t done = waitpid(pid_, &raw, WNOHANG);
    if (done == pid_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      DrainOutput();
      break;
    }
    if (std::chrono::steady_clock::now() >= end) return -1;
    ReadSome(std::chrono::milliseconds(20));
  }
  return status_;
}
