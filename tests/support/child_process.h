#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Work of the test's own to do while it waits for a child: run whenever fd is readable (an
// in-process transport that the child talks to, say).
struct ChildPump {
  int fd = -1;
  std::function<void()> run;
};

// A program run as a separate process for end-to-end tests: its stdin is a pipe the test writes,
// its stdout (and stderr, when asked) a pipe the test reads line by line. The process is killed
// when the object goes.
class ChildProcess {
 public:
  struct Options {
    std::vector<std::string> env;  // "NAME=value" entries added to (or replacing in) this environment
    std::string workingDirectory;  // empty: this process's
    bool mergeStderr = false;
    // When set, stdout and stderr go to this file instead (a browser that writes much and is never
    // read must not block on a full pipe); the test reads no lines then.
    std::string outputPath;
  };

  ChildProcess(const std::string& program, const std::vector<std::string>& args, const Options& options);
  ChildProcess(const std::string& program, const std::vector<std::string>& args)
      : ChildProcess(program, args, Options{}) {}
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  using Pump = ChildPump;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }

  bool Send(const std::string& line);  // writes line + "\n"
  void CloseInput();
  // Waits for a line containing text, after the lines already matched; false after the limit.
  bool WaitForLine(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(10),
                   const Pump& pump = {});
  // Every line read so far.
  const std::vector<std::string>& Lines() const { return lines_; }

  bool Signal(int signal);
  // Asks the process to end (SIGTERM) and kills it when it has not ended within the grace time.
  void Stop(std::chrono::milliseconds grace = std::chrono::seconds(10));
  // The exit status (or 128 + signal) once the process has ended; -1 after the limit.
  int Wait(std::chrono::milliseconds limit = std::chrono::seconds(10));

 private:
  bool ReadSome(std::chrono::milliseconds limit, const Pump& pump = {});
  void DrainOutput();
  void Append(const char* bytes, size_t count);

  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  std::string partial_;
  std::vector<std::string> lines_;
  size_t matched_ = 0;
  int status_ = -1;
};
