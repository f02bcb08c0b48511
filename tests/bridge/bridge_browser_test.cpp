// The bridge with a real browser, for each kind of page a user sees: the pages shown before
// Hopwise registers and the page on screen when it does, addresses the browser shows decoded or
// cut short, history.pushState and fragments, and titles that come late. Hopwise opens the pages
// through the bridge, from a local web server. One browser serves every test of the program; each
// test has a Hopwise of its own that has just started.
// Built twice, with BROWSER_UNDER_TEST MakeChromium and MakeFirefox; a program whose browser is
// missing reports skipped.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bridge/browser_session.h"
#include "bridge/hopwise_side.h"
#include "bridge/page_server.h"

namespace bridgetest {
namespace {

using namespace std::chrono_literals;

std::string Page(const std::string& title, const std::string& script = "") {
  return "<html><head><meta charset=\"utf-8\"><title>" + title + "</title></head><body>x<script>" + script +
         "</script></body></html>";
}

std::string Untitled(const std::string& script) {
  return "<html><head><meta charset=\"utf-8\"></head><body>x<script>" + script + "</script></body></html>";
}

const std::string kLong3 = "/long?" + std::string(3000, 'x');
const std::string kLong5 = "/long?" + std::string(5000, 'y');

const std::vector<PageServer::Page> kPages = {
    {"/before", Page("Before", "setTimeout(() => { location.href = '/after'; }, 1000);")},
    {"/after", Page("After")},
    // These load slowly: the tab shows its address as its title for a while.
    {"/wiki/.*", Page("Crème brûlée"), 400},
    {"/search", Page("Search: é"), 400},
    {"/long", Page("Long Address"), 400},
    {"/push", Page("Before Push",
                   "setTimeout(() => { history.pushState({}, '', '/pushed');"
                   " setTimeout(() => { document.title = 'After Push'; }, 300); }, 500);")},
    {"/hash", Page("Hash Page", "setTimeout(() => { location.hash = 'b'; }, 500);")},
    {"/late", Page("Loading...", "setTimeout(() => { document.title = 'Dashboard Ready'; }, 1500);")},
    {"/scripted", Untitled("setTimeout(() => { document.title = 'Set By Script'; }, 2500);")},
    {"/untitled", Untitled("")},
    // Moves on at once to a page the server holds back until the test lets it through.
    {"/crash-before", Page("Before Crash", "location.href = '/crash-after';")},
    {"/crash-after", Page("After Crash"), 0, /*gated=*/true},
};

// The id of the host process that serves "NETSCAPE" now, from its log.
pid_t HostServing(const std::string& log) {
  const auto at = log.rfind("] serving NETSCAPE");
  if (at == std::string::npos) return 0;
  const auto open = log.rfind('[', at);
  return open == std::string::npos ? 0 : std::atoi(log.c_str() + open + 1);
}

// The browser every test of the program shares, started with a local file as its first page.
struct SharedBrowser {
  BrowserHome home;
  PageServer server{kPages};
  std::unique_ptr<BrowserSession> browser;
  std::string startUrl;
  bool started = false;
  std::string cannotRun;  // why the browser cannot run here
};

SharedBrowser* shared = nullptr;

using MakeBrowser = std::unique_ptr<BrowserSession> (*)();

class BridgeWithBrowser : public ::testing::TestWithParam<MakeBrowser> {
 protected:
  static void TearDownTestSuite() {
    delete shared;
    shared = nullptr;
  }

  void SetUp() override {
    if (!shared) {
      shared = new SharedBrowser;
      shared->browser = GetParam()();
    }
    if (!shared->browser->Installed()) GTEST_SKIP() << shared->browser->Name() << " is not installed";
    ASSERT_TRUE(hopwise.ok);
    if (!shared->started) StartBrowser();
    if (!shared->cannotRun.empty()) GTEST_SKIP() << shared->cannotRun;
  }

  // Starts the browser every test shares and waits for its bridge; a browser that ends at once
  // cannot run here, and the tests skip.
  void StartBrowser() {
    shared->started = true;
    ASSERT_TRUE(shared->home.WriteManifests());
    ASSERT_TRUE(shared->server.Listening());
    shared->startUrl = "file://" + shared->home.root + "/start.html";
    std::ofstream(shared->home.root + "/start.html") << Page("Start Page");
    const pid_t before = HostServing(BridgeLog());
    ASSERT_TRUE(shared->browser->Start(shared->home, shared->startUrl));
    ASSERT_TRUE(hopwise.PumpUntil(
        [&] { return HostServing(BridgeLog()) != before || shared->browser->Ended(); }, 30s))
        << shared->browser->Log();
    if (shared->browser->Ended()) {
      shared->cannotRun = shared->browser->Name() + " cannot run here:\n" + shared->browser->Log();
    }
  }

  std::string Url(const std::string& path) const { return shared->server.Url(path); }
  std::string BridgeLog() const { return shared->home.BridgeLog(); }

  // Hopwise opens the page; the window (tab) that shows it.
  uint32_t Open(const std::string& path) {
    return hopwise.AskForWindowId("WWW_OpenURL", "\"" + Url(path) + "\",,4294967295,0,");
  }

  // The captions Hopwise read for the echoes of this address, in order.
  std::vector<std::string> Captions(const std::string& url) const {
    std::vector<std::string> captions;
    for (const auto& echo : hopwise.echoes) {
      if (echo.url == url) captions.push_back(echo.infoCaption);
    }
    return captions;
  }
  bool WaitForEcho(const std::string& url, std::chrono::milliseconds limit = 15s) {
    return hopwise.PumpUntil([&] { return !Captions(url).empty(); }, limit);
  }
  bool WaitForCaption(const std::string& url, const std::string& title,
                      std::chrono::milliseconds limit = 15s) {
    return hopwise.PumpUntil(
        [&] {
          const auto captions = Captions(url);
          return !captions.empty() && captions.back() == "Netscape - [" + title + "]";
        },
        limit);
  }

  HopwiseSide hopwise;  // a Hopwise that has just started
};

TEST_P(BridgeWithBrowser, TheBrowserStartsTheHostThroughTheManifestTheHostWrote) {
  const std::string log = BridgeLog();
  EXPECT_TRUE(log.find("started for chrome-extension://") != std::string::npos ||
              log.find("started for " + shared->home.home + "/.mozilla/native-messaging-hosts/") !=
                  std::string::npos)
      << log;
}

TEST_P(BridgeWithBrowser, PagesShownBeforeHopwiseRegistersAndThePageOnScreenAreRecorded) {
  // Shown before Hopwise registers: a page that moves on to another by itself.
  const uint32_t tab = Open("/before");
  ASSERT_NE(tab, 0u) << BridgeLog();
  ASSERT_TRUE(
      hopwise.PumpUntil([&] { return hopwise.WindowInfo(std::to_string(tab)).first == Url("/after"); }, 15s));
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  EXPECT_TRUE(WaitForCaption(Url("/before"), "Before")) << BridgeLog();
  EXPECT_TRUE(WaitForCaption(Url("/after"), "After"));
  EXPECT_TRUE(WaitForCaption(shared->startUrl, "Start Page")) << "the browser's first page, a local file";
  EXPECT_EQ(Captions(Url("/after")).size(), 1u);
}

TEST_P(BridgeWithBrowser, PagesWithEncodedOrLongAddressesAreRecordedWithTheirTitles) {
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  const std::vector<std::pair<std::string, std::string>> pages = {
      {"/wiki/Cr%C3%A8me_br%C3%BBl%C3%A9e", "Crème brûlée"},
      {"/search?q=%C3%A9", "Search: é"},
      {kLong3, "Long Address"},
      {kLong5, "Long Address"}};
  std::vector<uint32_t> tabs;
  for (const auto& [path, title] : pages) tabs.push_back(Open(path));
  tabs.push_back(Open("/untitled"));
  for (size_t i = 0; i < pages.size(); ++i) {
    const auto& [path, title] = pages[i];
    ASSERT_TRUE(WaitForEcho(Url(path))) << path.substr(0, 40) << "\n" << BridgeLog();
    EXPECT_EQ(Captions(Url(path)).front(), "Netscape - [" + title + "]") << path.substr(0, 40);
    EXPECT_NE(tabs[i], 0u);
  }
  // A page without a title is recorded all the same, once, with what its tab shows.
  ASSERT_TRUE(WaitForEcho(Url("/untitled")));
  hopwise.Pump(500ms);
  EXPECT_EQ(Captions(Url("/untitled")).size(), 1u);
  // The tab Hopwise opened is the echo's window; the one opened last is brought to the front.
  for (const auto& echo : hopwise.echoes) {
    if (echo.url == Url(kLong5)) {
      EXPECT_EQ(echo.window, tabs[3]);
    }
    EXPECT_EQ(echo.mime, "text/html");
  }
  EXPECT_EQ(hopwise.AskForWindowId("WWW_Activate", "4294967295,0,"), tabs.back());
}

TEST_P(BridgeWithBrowser, APageMadeByPushStateHasItsOwnTitleAndAFragmentIsNoNewPage) {
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  ASSERT_NE(Open("/push"), 0u);
  const uint32_t hashTab = Open("/hash");
  ASSERT_NE(hashTab, 0u);
  ASSERT_TRUE(WaitForEcho(Url("/pushed"))) << BridgeLog();
  EXPECT_EQ(Captions(Url("/pushed")).front(), "Netscape - [After Push]");
  ASSERT_TRUE(WaitForEcho(Url("/hash")));
  ASSERT_TRUE(hopwise.PumpUntil(
      [&] { return hopwise.WindowInfo(std::to_string(hashTab)).first == Url("/hash#b"); }, 10s));
  hopwise.Pump(3500ms);  // longer than a new page would wait for a title of its own
  EXPECT_EQ(Captions(Url("/hash")).size(), 1u);
  EXPECT_TRUE(Captions(Url("/hash#b")).empty());
}

// Each page is the last one shown when its title changes: a late title is sent again only then.
TEST_P(BridgeWithBrowser, TitlesThatComeLateReachHopwise) {
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  ASSERT_NE(Open("/late"), 0u);
  ASSERT_TRUE(WaitForCaption(Url("/late"), "Dashboard Ready", 10s)) << BridgeLog();
  EXPECT_EQ(Captions(Url("/late")),
            (std::vector<std::string>{"Netscape - [Loading...]", "Netscape - [Dashboard Ready]"}));
  ASSERT_NE(Open("/scripted"), 0u);
  EXPECT_TRUE(WaitForCaption(Url("/scripted"), "Set By Script", 10s)) << BridgeLog();
}

// The browser starts the host again after a crash; what was shown meanwhile is recorded, and the
// pages recorded before are not recorded again.
TEST_P(BridgeWithBrowser, AfterTheHostCrashesTheNextOneRecordsWhatWasShownMeanwhile) {
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  ASSERT_NE(Open("/crash-before"), 0u);
  ASSERT_TRUE(WaitForCaption(Url("/crash-before"), "Before Crash")) << BridgeLog();
  const pid_t crashed = HostServing(BridgeLog());
  ASSERT_GT(crashed, 0);
  ASSERT_EQ(::kill(crashed, SIGKILL), 0);
  shared->server.OpenGate();
  ASSERT_TRUE(hopwise.PumpUntil([&] { return HostServing(BridgeLog()) != crashed; }, 30s)) << BridgeLog();
  EXPECT_TRUE(WaitForCaption(Url("/crash-after"), "After Crash")) << BridgeLog();
  EXPECT_EQ(Captions(Url("/crash-before")).size(), 1u);
}

// Last, as it ends the browser (a test after it starts it again).
TEST_P(BridgeWithBrowser, WhenTheBrowserEndsTheHostEndsAndTheNameIsFree) {
  shared->browser->Stop();
  shared->started = false;
  EXPECT_TRUE(hopwise.PumpUntil(
      [&] {
        const dde::ConvHandle conv = hopwise.instance.Connect("NETSCAPE", "WWW_Activate", 500);
        if (conv) hopwise.instance.Disconnect(conv);
        return conv == 0;
      },
      10s))
      << BridgeLog();
}

INSTANTIATE_TEST_SUITE_P(Browser, BridgeWithBrowser, ::testing::Values(&BROWSER_UNDER_TEST));

}  // namespace
}  // namespace bridgetest
