// How soon a user sees the tray icon: Hopwise (build/bin/hopwise) with 5,000 PageMarks against a
// bare Qt tray program (startup_bench_bare_tray), each started afresh as a process, on an X display
// that has no tray yet (an Xvfb will do): the bench is the tray. It embeds the icon as a panel
// does and times, from the fork before the exec, the icon asking to be docked and its first paint
// inside the tray.
//
//   DISPLAY=:91 build/bin/startup_bench [runs]
//
// The programs get their own HOME, XDG folders and session bus (dbus-daemon, where installed).
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/atomic_file.h"
#include "store/archive.h"
#include "xembed_tray_host.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

extern char** environ;

namespace {

constexpr int kPageMarks = 5000;

void WriteCache(const fs::path& dataDir) {
  fs::create_directories(dataDir / "Topics");
  std::vector<CPez> pages(kPageMarks);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    pages[i].url = "https://site" + std::to_string(i % 300) + ".example" + std::to_string(i % 7) + ".org/" +
                   std::to_string(i);
    pages[i].title = "A page with a title of a usual length, number " + std::to_string(i);
  }
  std::ostringstream out;
  WritePezArray(out, pages);
  ReplaceFile((dataDir / "cache.data").string(), out.str());
}

// A session bus of the bench's own, as a desktop session has one. Empty when none could start.
struct SessionBus {
  std::string address;
  pid_t pid = 0;
  SessionBus() {
    FILE* out =
        popen("dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 2>/dev/null", "r");
    if (!out) return;
    char line[512] = {};
    if (std::fgets(line, sizeof line, out)) address = std::string(line, std::strcspn(line, "\n"));
    if (std::fgets(line, sizeof line, out)) pid = static_cast<pid_t>(std::atoi(line));
    pclose(out);
    if (pid <= 0) address.clear();
  }
  ~SessionBus() {
    if (pid > 0) kill(pid, SIGTERM);
  }
};

bool SetByBench(const std::string& entry) {
  const std::string name = entry.substr(0, entry.find('='));
  for (const char* set : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR",
                          "DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    if (name == set) return true;
  return false;
}

// The bench's environment with the programs' own folders and bus, on X.
std::vector<std::string> ProgramEnvironment(const fs::path& root, const SessionBus& bus) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry)
    if (!SetByBench(*entry)) env.push_back(*entry);
  env.push_back("HOME=" + (root / "home").string());
  env.push_back("XDG_CONFIG_HOME=" + (root / "home/.config").string());
  env.push_back("XDG_DATA_HOME=" + (root / "home/.local/share").string());
  env.push_back("XDG_CACHE_HOME=" + (root / "home/.cache").string());
  env.push_back("XDG_RUNTIME_DIR=" + (root / "rt").string());
  if (!bus.address.empty()) env.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus.address);
  return env;
}

struct Program {
  std::string name;
  fs::path path;
  fs::path workingDirectory;
  std::vector<XEmbedTrayHost::Sighting> sightings;
};

// Ends the program as the session's end would (SIGTERM), so that Hopwise saves and the next start
// finds the same files; a program that does not end within five seconds is killed.
void EndProgram(pid_t child) {
  kill(child, SIGTERM);
  for (int i = 0; i < 500; ++i) {
    if (waitpid(child, nullptr, WNOHANG) == child) return;
    std::this_thread::sleep_for(10ms);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

XEmbedTrayHost::Sighting RunOnce(XEmbedTrayHost& tray, const Program& program,
                                 const std::vector<std::string>& env, const fs::path& log) {
  std::vector<char*> envp;
  for (const std::string& entry : env) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  const std::string path = program.path.string();
  const auto start = XEmbedTrayHost::Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(program.workingDirectory.c_str()) != 0) _exit(126);
    std::freopen(log.c_str(), "a", stdout);
    std::freopen(log.c_str(), "a", stderr);
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    execve(argv[0], argv, envp.data());
    _exit(127);
  }
  const XEmbedTrayHost::Sighting sighting = tray.Watch(start, 10s);
  EndProgram(child);
  return sighting;
}

double Quantile(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

struct Figures {
  double median = -1;
  double fastest = -1;
};

// Prints the median of the dock request and, of the first paint, the median, the lower quartile
// and the range: on a busy machine the fast runs tell more than the slow ones. Negative figures:
// some start showed no icon.
Figures Report(const Program& program) {
  std::vector<double> docked, painted;
  for (const XEmbedTrayHost::Sighting& s : program.sightings) {
    docked.push_back(s.dockedMs);
    painted.push_back(s.paintedMs);
  }
  if (Quantile(painted, 0) < 0) return {};
  std::printf("%-28s docked %6.1f ms  painted %6.1f ms  (quartile %.1f, min %.1f, max %.1f, %zu runs)\n",
              program.name.c_str(), Quantile(docked, 0.5), Quantile(painted, 0.5), Quantile(painted, 0.25),
              Quantile(painted, 0), Quantile(painted, 1), painted.size());
  return {Quantile(painted, 0.5), Quantile(painted, 0)};
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 25;
  XEmbedTrayHost tray;
  if (const std::string problem = tray.Open(); !problem.empty()) {
    std::fprintf(stderr, "startup_bench: %s (it needs an X display without a tray)\n", problem.c_str());
    return 1;
  }
  const fs::path root = fs::temp_directory_path() / ("hopwise-startup-" + std::to_string(getpid()));
  fs::create_directories(root / "home/.config");
  fs::create_directories(root / "rt");
  fs::permissions(root / "rt", fs::perms::owner_all);
  WriteCache(root / "data");
  const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
  SessionBus bus;
  const std::vector<std::string> env = ProgramEnvironment(root, bus);
  std::vector<Program> programs = {{"bare Qt tray program", bin / "startup_bench_bare_tray", root, {}},
                                   {"Hopwise with 5000 PageMarks", bin / "hopwise", root / "data", {}}};
  const fs::path log = root / "programs.log";
  // A first start of each, not counted: the files are in the page cache and Hopwise has written
  // its preferences, as on any start but the very first.
  for (Program& program : programs) RunOnce(tray, program, env, log);
  for (int i = 0; i < runs; ++i)
    for (Program& program : programs) program.sightings.push_back(RunOnce(tray, program, env, log));
  const Figures bare = Report(programs[0]);
  const Figures hopwise = Report(programs[1]);
  if (bare.median < 0 || hopwise.median < 0) {
    std::fprintf(stderr,
                 "startup_bench: an icon was not painted within 10 s; the programs' output is in %s\n",
                 log.c_str());
    return 1;
  }
  std::printf("Hopwise / bare, painted: %.2f (medians), %.2f (fastest runs)%s\n",
              hopwise.median / bare.median, hopwise.fastest / bare.fastest,
              bus.address.empty() ? "  (no session bus)" : "");
  fs::remove_all(root);
  return 0;
}
