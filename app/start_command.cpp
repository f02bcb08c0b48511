// hopwise: the command users run. It sets Hopwise up the first time (its private data folder with
// the Topics folder, an empty preferences file), has the browser bridge put the browsers' host
// manifests in place, and starts the program in the data folder. With --find it asks a running
// Hopwise for its find window and ends; only when none answers does it start one, which shows it.
//
// The termination signals are blocked from here until the program has its handlers in place, so a
// SIGTERM or Ctrl+C in the first moments waits for it instead of killing it half started.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/dde_names.h"
#include "platform/instance_hand_over.h"
#include "platform/instance_lock.h"

namespace fs = std::filesystem;

namespace {

constexpr char kUsage[] =
    "usage: hopwise [--find | --help | --version]\n"
    "Starts Hopwise, the page history in your system tray. The first time it makes its data folder\n"
    "(${XDG_DATA_HOME:-~/.local/share}/hopwise, readable by you only) and its preferences file\n"
    "(${XDG_CONFIG_HOME:-~/.config}/Ostrand Software/Hopwise/1.2.conf), and every time it tells\n"
    "Chromium and Firefox where the browser bridge is. End Hopwise with \"Exit\" in its tray menu.\n"
    "  --find  shows the window that finds a page among the pages you visited and your Topics,\n"
    "          starting Hopwise first when it is not running. Bind it to a key of your desktop.\n";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

fs::path BaseFolder(const char* xdgName, const char* homeRelative) {
  const std::string xdg = Env(xdgName);
  if (!xdg.empty() && xdg.front() == '/') return xdg;
  return fs::path(Env("HOME")) / homeRelative;
}

bool Fail(const std::string& what) {
  std::fprintf(stderr, "hopwise: %s\n", what.c_str());
  return false;
}

// The data folder and its Topics folder, the user's alone; the preferences file, empty and the
// user's alone too.
bool SetUp(const fs::path& data, const fs::path& prefsFile) {
  std::error_code ec;
  fs::create_directories(data / "Topics", ec);
  if (ec) return Fail("cannot make " + (data / "Topics").string() + ": " + ec.message());
  for (const fs::path& folder : {data, data / "Topics"})
    if (::chmod(folder.c_str(), 0700) != 0)
      return Fail("cannot protect " + folder.string() + ": " + std::strerror(errno));
  fs::create_directories(prefsFile.parent_path(), ec);
  if (!fs::exists(prefsFile, ec)) {
    const int fd = ::open(prefsFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
  }
  if (!fs::exists(prefsFile, ec)) return Fail("cannot make " + prefsFile.string());
  return true;
}

// The bridge beside this command writes the browsers' manifests when they are not right already.
void SetUpBridge(const fs::path& bridge) {
  if (::access(bridge.c_str(), X_OK) != 0) return;
  const pid_t child = ::fork();
  if (child == 0) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) ::_exit(1);
    ::execl(bridge.c_str(), bridge.c_str(), "--write-manifests", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    std::fprintf(stderr,
                 "hopwise: the browser bridge is not set up; Chromium and Firefox may not reach Hopwise.\n");
}

// HOPWISE_PROGRAM when set; the installed program under libexec; the one in this build folder.
fs::path Program(const fs::path& here) {
  if (const std::string chosen = Env("HOPWISE_PROGRAM"); !chosen.empty()) return chosen;
  const fs::path installed = here.parent_path() / "libexec/hopwise/hopwise";
  std::error_code ec;
  return fs::exists(installed, ec) ? installed : here / "hopwise";
}

// How long a running Hopwise may take to answer "--find" before this command starts one itself
// (which then hands over, waiting longer).
constexpr int kFindAnswerMs = 1000;

// "--find" with Hopwise running: the running one shows its find window, and this command is done
// before anything else, so that a key bound to it answers at once.
bool RunningHopwiseFinds() {
  const std::string dir = dde::names::DefaultRuntimeDir();
  return InstanceLock::IsHeld(dir) && InstanceHandOver::Ask(dir, InstanceHandOver::kFindItem, kFindAnswerMs);
}

void BlockTerminationSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, signal);
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  BlockTerminationSignals();  // first of all: the program takes them over with the signal mask
  const std::string_view option = argc > 1 ? argv[1] : "";
  if (option == "--help" || option == "-h") return std::fputs(kUsage, stdout) == EOF;
  if (option == "--version") return std::printf("Hopwise %s\n", HOPWISE_VERSION) < 0;
  const bool find = option == "--find";
  if (argc > 2 || (argc > 1 && !find)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (find && RunningHopwiseFinds()) return 0;
  if (Env("DISPLAY").empty() && Env("WAYLAND_DISPLAY").empty() && Env("QT_QPA_PLATFORM").empty()) {
    std::fprintf(stderr,
                 "Hopwise needs a graphical desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set).\n");
    return 1;
  }
  const fs::path data = BaseFolder("XDG_DATA_HOME", ".local/share") / "hopwise";
  const fs::path prefs = BaseFolder("XDG_CONFIG_HOME", ".config") / "Ostrand Software/Hopwise/1.2.conf";
  if (!SetUp(data, prefs)) return 1;

  std::error_code ec;
  const fs::path here = fs::canonical("/proc/self/exe", ec).parent_path();
  SetUpBridge(here / "hopwise-browser-bridge");
  const fs::path program = Program(here);
  if (::chdir(data.c_str()) != 0) {
    Fail("cannot enter " + data.string() + ": " + std::strerror(errno));
    return 1;
  }
  if (find)
    ::execl(program.c_str(), program.c_str(), "--find", static_cast<char*>(nullptr));
  else
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
  Fail("cannot start " + program.string() + ": " + std::strerror(errno));
  return 1;
}
