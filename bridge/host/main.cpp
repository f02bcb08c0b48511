// hopwise-browser-bridge: the native-messaging host the browser starts for the Hopwise extension.
// It plays the browser's side of Hopwise's link (service "NETSCAPE") for the browser's tabs, and
// ends when the browser closes its input.
//
// hopwise-browser-bridge --write-manifests: puts the user's host manifests for Chromium and
// Firefox in place, pointing at this program (the start command runs it at every start).
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "bridge/host/host_manifests.h"
#include "bridge/host/log_file.h"
#include "bridge/host/relay.h"
#include "bridge/host/stdio_channel.h"
#include "platform/dde_instance.h"

namespace {

// Hopwise watches for a process of this name to know a browser has started, and registers for
// echoes with it; the name is taken only once "NETSCAPE" is ours, so a bridge that waits for the
// name and takes it over later is seen as a new browser then.
constexpr const char* kWaitingName = "hopwise-bridge";
constexpr const char* kBrowserName = "netscape.exe";

int PollTimeout(const std::optional<bridge::Clock::time_point>& wake) {
  if (!wake) return -1;
  const auto now = bridge::Clock::now();
  if (*wake <= now) return 0;  // compared first: a wake time may be time_point::min()
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*wake - now).count();
  return static_cast<int>(std::min<long long>(left + 1, 60000));
}

// This program's absolute path, as the manifests must name it; empty when unknown.
std::string OwnPath() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof path) return {};
  return std::string(path, static_cast<size_t>(n));
}

int WriteManifests() {
  const bool ok = bridge::InstallUserManifests(OwnPath(), HOPWISE_EXTENSION_ID, std::getenv("HOME"),
                                               std::getenv("XDG_CONFIG_HOME"), std::cout, std::cerr);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // The browser passes the caller's origin (Chromium) or the manifest's path (Firefox), never this.
  if (argc == 2 && std::strcmp(argv[1], "--write-manifests") == 0) return WriteManifests();

  ::signal(SIGPIPE, SIG_IGN);
  ::prctl(PR_SET_NAME, kWaitingName, 0, 0, 0);

  bridge::LogFile logFile;
  logFile.Open(bridge::LogFile::DefaultPath());
  auto log = [&logFile](std::string_view line) { logFile.Write(line); };
  log(std::string("started for ") + (argc > 1 ? argv[1] : "an unnamed caller"));

  bridge::StdioChannel channel(STDIN_FILENO, STDOUT_FILENO, log);
  dde::Instance instance;
  bridge::Relay::Options options;
  options.onNameHeld = [] { ::prctl(PR_SET_NAME, kBrowserName, 0, 0, 0); };
  bridge::Relay relay(instance, channel, log, options);
  if (!relay.Start(bridge::Clock::now())) {
    log("the transport cannot be set up; exiting");
    return 1;
  }

  while (!channel.AtEnd()) {
    pollfd fds[2] = {{channel.InputFd(), POLLIN, 0}, {instance.EventFd(), POLLIN, 0}};
    const int ready = ::poll(fds, 2, PollTimeout(relay.NextWake()));
    if (ready < 0 && errno != EINTR) {
      log("poll failed; exiting");
      return 1;
    }
    if (ready > 0 && fds[0].revents) {
      channel.ReadAvailable();
      while (auto message = channel.Take()) relay.OnBrowserMessage(*message, bridge::Clock::now());
    }
    if (ready > 0 && fds[1].revents) relay.Dispatch();
    relay.Tick(bridge::Clock::now());
  }
  log("exiting");
  return 0;
}
