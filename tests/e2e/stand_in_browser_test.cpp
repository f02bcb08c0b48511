// The stand-in browser as a separate process over the real transport, with Hopwise's side of the
// link (endpoint, echo service, recorder, store) in this process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "browser/browser_link.h"
#include "browser/dde_link.h"
#include "browser/dde_object.h"
#include "browser/recording_launcher.h"
#include "browser/url_echo_service.h"
#include "browser/visit_recorder.h"
#include "store/page_mark_store.h"
#include "store/process_events.h"
#include "support/child_process.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"

namespace {

using namespace std::chrono_literals;

// The stand-in browser process: commands in through a pipe, its lines out through another.
class StandInProcess : public ChildProcess {
 public:
  StandInProcess() : ChildProcess(std::string(HOPWISE_BIN_DIR) + "/hopwise-stand-in-browser", {}) {}
  void Send(const std::string& line) { ASSERT_TRUE(ChildProcess::Send(line)); }
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
    browserLink = std::make_unique<BrowserLink>(link, prefs, launcher, messages);
    ASSERT_EQ("HOPWISE1", browserLink->EndpointName());
    recorder = std::make_unique<VisitRecorder>(*browserLink, store, events, recording);
    service = std::make_unique<UrlEchoService>(clock, *recorder);
    link.SetServer(service.get());
  }
  void TearDown() override { link.SetServer(nullptr); }

  // Waits for the browser's line, serving Hopwise's side of the link meanwhile.
  bool WaitFor(StandInProcess& browser, const std::string& line) {
    return browser.WaitForLine(line, std::chrono::seconds(10),
                               {instance.EventFd(), [this] { instance.Dispatch(); }});
  }

  dde::Instance instance;
  DdeLink link{instance};
  CPrefs prefs;
  RecordingLauncher launcher;
  RecordingMessageBoxes messages;
  FakeClock clock;
  PageMarkStore store{prefs, clock};
  ProcessEvents events;
  AlwaysOn recording;
  std::unique_ptr<BrowserLink> browserLink;
  std::unique_ptr<VisitRecorder> recorder;
  std::unique_ptr<UrlEchoService> service;
};

TEST_F(StandInBrowserE2e, WithNoBrowserRunningOpenUrlStartsTheBrowserProgram) {
  browserLink->OpenInBrowser("http://example.com/start");
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

  ASSERT_TRUE(browserLink->TryRegisterForEchoes());
  ASSERT_TRUE(WaitFor(browser, "poke\tWWW_RegisterURLEcho\t\"HOPWISE1\"\tack"));

  browser.Send("visit 1 http://example.com/a Example  A, \"quoted\"");
  ASSERT_TRUE(WaitFor(browser, "done\tvisit 1"));
  browser.Send("visit 2 http://example.com/b");
  ASSERT_TRUE(WaitFor(browser, "done\tvisit 2"));
  const std::string longUrl = "http://example.com/" + std::string(300, 'x');
  browser.Send("visit 1 " + longUrl + " Long " + std::string(300, 'T'));
  ASSERT_TRUE(WaitFor(browser, "done\tvisit 1"));

  ASSERT_EQ(3u, store.Count());
  EXPECT_EQ("Example  A, \"quoted\"", store.FindPageMarkByUrl("http://example.com/a")->title);
  EXPECT_EQ("", store.FindPageMarkByUrl("http://example.com/b")->title);
  ASSERT_NE(nullptr, store.FindPageMarkByUrl(longUrl));
  EXPECT_EQ("Long " + std::string(300, 'T'), store.FindPageMarkByUrl(longUrl)->title);

  // Opened by Hopwise: the browser answers with a new window, then shows (and echoes) the page.
  browserLink->OpenInBrowser("http://example.com/opened");
  ASSERT_TRUE(WaitFor(browser, "echo\tHOPWISE1\t\"http://example.com/opened\",\"text/html\",3,\"\"\tack"));
  EXPECT_NE(nullptr, store.FindPageMarkByUrl("http://example.com/opened"));
  EXPECT_TRUE(launcher.launches.empty());
  EXPECT_EQ("http://example.com/opened", browserLink->GetWindowInfo(3).url);

  browser.Send("close 3");
  ASSERT_TRUE(WaitFor(browser, "done\tclose 3"));
  EXPECT_EQ("", browserLink->GetWindowInfo(3).url);
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
  EXPECT_EQ(0, browser.Wait());
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
  EXPECT_EQ(0, browser.Wait());
}

}  // namespace
