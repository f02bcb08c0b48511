// The stand-in browser as a separate process over the real transport, with Hopwise's side of the
// link (endpoint, echo service, recorder, store) in this process.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "browser/dde_link.h"
#include "browser/dde_object.h"
#include "browser/recording_launcher.h"
#include "browser/url_echo_service.h"
#include "browser/visit_recorder.h"
#include "store/page_mark_store.h"
#include "store/process_events.h"
#include "support/fake_clock.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// The stand-in browser process: commands in through a pipe, its lines out through another.
class StandInProcess {
 public:
  StandInProcess() {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::string path = std::string(HOPWISE_BIN_DIR) + "/hopwise-stand-in-browser";
    char* argv[] = {path.data(), nullptr};
    if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    toChild_ = in[1];
    fromChild_ = out[0];
    fcntl(fromChild_, F_SETFL, O_NONBLOCK);
  }
  ~StandInProcess() {
    CloseInput();
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (fromChild_ >= 0) close(fromChild_);
  }

  pid_t Pid() const { return pid_; }
  void Send(const std::string& line) {
    std::string text = line + "\n";
    ASSERT_EQ(static_cast<ssize_t>(text.size()), write(toChild_, text.data(), text.size()));
  }
  void CloseInput() {
    if (toChild_ >= 0) close(toChild_);
    toChild_ = -1;
  }

  // Reads lines until one after the last line waited for starts with prefix, serving Hopwise's
  // side (pump) meanwhile. All lines read are kept in Lines().
  bool WaitFor(const std::string& prefix, const std::function<void()>& pump, int pumpFd,
               std::chrono::milliseconds limit = 10s) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      for (; next_ < lines_.size(); ++next_) {
        if (lines_[next_].starts_with(prefix)) {
          ++next_;
          return true;
        }
      }
      pollfd fds[2] = {{fromChild_, POLLIN, 0}, {pumpFd, POLLIN, 0}};
      poll(fds, pumpFd >= 0 ? 2 : 1, 20);
      if (pumpFd >= 0 && fds[1].revents) pump();
      ReadAvailable();
    }
    return false;
  }
  // Waits for the process to end; its exit status, -1 when it did not end in time.
  int WaitExit(std::chrono::milliseconds limit = 5s) {
    auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(10ms);
    }
    return -1;
  }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  void ReadAvailable() {
    char chunk[4096];
    ssize_t n;
    while ((n = read(fromChild_, chunk, sizeof chunk)) > 0) pending_.append(chunk, static_cast<size_t>(n));
    for (size_t eol; (eol = pending_.find('\n')) != std::string::npos;) {
      lines_.push_back(pending_.substr(0, eol));
      pending_.erase(0, eol + 1);
    }
  }

  pid_t pid_ = -1;
  bool exited_ = false;
  int toChild_ = -1;
  int fromChild_ = -1;
  std::string pending_;
  std::vector<std::string> lines_;
  size_t next_ = 0;  // the first line not yet looked at by WaitFor
};

class AlwaysOn : public RecordingSwitch {
 public:
  bool IsActive() const override { return true; }
};

class StandInBrowserE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(link.Initialize());
    prefs.browser = "netscape.exe";
    prefs.browserPath = "/opt/netscape";
    dde = std::make_unique<CDDEObject>(link, prefs, launcher);
    ASSERT_EQ("HOPWISE1", dde->name());
    recorder = std::make_unique<VisitRecorder>(*dde, store, events, recording);
    service = std::make_unique<UrlEchoService>(clock, *recorder);
    link.SetServer(service.get());
  }
  void TearDown() override { link.SetServer(nullptr); }

  bool WaitFor(StandInProcess& browser, const std::string& prefix) {
    return browser.WaitFor(prefix, [this] { instance.Dispatch(); }, instance.EventFd());
  }

  dde::Instance instance;
  DdeLink link{instance};
  CPrefs prefs;
  RecordingLauncher launcher;
  FakeClock clock;
  PageMarkStore store{prefs, clock};
  ProcessEvents events;
  AlwaysOn recording;
  std::unique_ptr<CDDEObject> dde;
  std::unique_ptr<VisitRecorder> recorder;
  std::unique_ptr<UrlEchoService> service;
};

TEST_F(StandInBrowserE2e, WithNoBrowserRunningOpenUrlStartsTheBrowserProgram) {
  dde->OpenUrl("http://example.com/start");
  EXPECT_EQ(0u, dde->Activate());
  ASSERT_EQ(1u, launcher.launches.size());
  EXPECT_EQ((RecordingLauncher::Launch_{"netscape.exe", "http://example.com/start", "/opt/netscape"}),
            launcher.launches[0]);
}

TEST_F(StandInBrowserE2e, VisitsReachTheStoreAndOpenUrlReachesTheBrowser) {
  StandInProcess browser;
  ASSERT_GT(browser.Pid(), 0);
  ASSERT_TRUE(WaitFor(browser, "ready"));
  std::ifstream comm("/proc/" + std::to_string(browser.Pid()) + "/comm");
  std::string name;
  std::getline(comm, name);
  EXPECT_EQ("netscape.exe", name);

  dde->RegisterUrlEcho("HOPWISE1");
  ASSERT_TRUE(WaitFor(browser, "poke\tWWW_RegisterURLEcho\t\"HOPWISE1\"\tack"));

  browser.Send("visit 1 http://example.com/a Example  A, \"quoted\"");
  ASSERT_TRUE(WaitFor(browser, "done\tvisit 1"));
  browser.Send("visit 2 http://example.com/b");
  ASSERT_TRUE(WaitFor(browser, "done\tvisit 2"));
  const std::string longUrl = "http://example.com/" + std::string(300, 'x');
  browser.Send("visit 1 " + longUrl + " Long " + std::string(300, 'T'));
  ASSERT_TRUE(WaitFor(browser, "done\tvisit 1"));

  ASSERT_EQ(3u, store.PageMarkCache.size());
  EXPECT_EQ("Example  A, \"quoted\"", store.FindPageMarkByUrl("http://example.com/a")->title);
  EXPECT_EQ("", store.FindPageMarkByUrl("http://example.com/b")->title);
  ASSERT_NE(nullptr, store.FindPageMarkByUrl(longUrl));
  EXPECT_EQ("Long " + std::string(300, 'T'), store.FindPageMarkByUrl(longUrl)->title);

  // Opened by Hopwise: the browser answers with a new window, then shows (and echoes) the page.
  dde->OpenUrl("http://example.com/opened");
  EXPECT_EQ(3u, dde->Activate());
  ASSERT_TRUE(WaitFor(browser, "echo\tHOPWISE1\t\"http://example.com/opened\",\"text/html\",3,\"\"\tack"));
  EXPECT_NE(nullptr, store.FindPageMarkByUrl("http://example.com/opened"));
  EXPECT_TRUE(launcher.launches.empty());
  EXPECT_EQ("http://example.com/opened", dde->GetWindowInfo(3).url);

  browser.Send("close 3");
  ASSERT_TRUE(WaitFor(browser, "done\tclose 3"));
  EXPECT_EQ("", dde->GetWindowInfo(3).url);
  ASSERT_TRUE(WaitFor(browser, "request\tWWW_GetWindowInfo\t3\tno data"));

  // The echo of the opened page may reach Hopwise while its Activate waits: order aside, the
  // browser received exactly these requests.
  std::multiset<std::string> requests;
  for (const auto& line : browser.Lines()) {
    if (line.starts_with("request\t")) requests.insert(line);
  }
  const std::string info = "request\tWWW_GetWindowInfo\t";
  EXPECT_EQ((std::multiset<std::string>{
                info + "1\t\"http://example.com/a\",\"Netscape - [Example  A, \\\"quoted\\\"]\"",
                info + "2\t\"http://example.com/b\",\"Netscape - []\"",
                info + "1\t\"" + longUrl + "\",\"Netscape - [Long " + std::string(300, 'T') + "]\"",
                "request\tWWW_OpenURL\t\"http://example.com/opened\",,4294967295,0,\tDW 3",
                "request\tWWW_Activate\t4294967295,0,\tDW 3",
                info + "3\t\"http://example.com/opened\",\"Netscape - [http://example.com/opened]\"",
                info + "3\t\"http://example.com/opened\",\"Netscape - [http://example.com/opened]\"",
                info + "3\tno data",
            }),
            requests);

  browser.Send("quit");
  EXPECT_EQ(0, browser.WaitExit());
}

TEST_F(StandInBrowserE2e, EndOfInputEndsTheBrowserAndBadCommandsAreReported) {
  StandInProcess browser;
  ASSERT_TRUE(WaitFor(browser, "ready"));
  browser.Send("visit x");
  ASSERT_TRUE(WaitFor(browser, "error\tusage"));
  browser.Send("close 42");
  ASSERT_TRUE(WaitFor(browser, "error\tno such window"));
  browser.Send("fly away");
  ASSERT_TRUE(WaitFor(browser, "error\tunknown command"));
  browser.CloseInput();
  EXPECT_EQ(0, browser.WaitExit());
}

}  // namespace
