#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// The host's log. stdout carries frames only and stderr ends up in the browser's own log, so
// everything the host has to say goes to a file: $XDG_STATE_HOME/hopwise/bridge.log, else
// ~/.local/state/hopwise/bridge.log. Without a usable file the host logs nothing.
namespace bridge {

class LogFile {
 public:
  LogFile() = default;
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Opens (appends to) the file, making its folders. A file above maxBytes is moved to
  // PATH.1 first, so the log never grows without end.
  bool Open(const std::string& path, long maxBytes = 1024 * 1024);
  // One line, prefixed with the local time and the process id.
  void Write(std::string_view line);
  bool IsOpen() const { return file != nullptr; }

  // The default path from the environment; empty when neither variable is set.
  static std::string DefaultPath();

 private:
  std::FILE* file = nullptr;
};

}  // namespace bridge
