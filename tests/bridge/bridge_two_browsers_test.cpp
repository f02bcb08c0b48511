// Chromium and Firefox at once, each with its bridge: the bridge of the browser started first holds
// "NETSCAPE" and serves the other browser through the other bridge; when it ends, that one takes
// the name over. A transport client plays Hopwise. Skipped unless both browsers are installed.
#include <gtest/gtest.h>

#include <chrono>

#include "bridge/browser_home.h"
#include "bridge/chromium_session.h"
#include "bridge/firefox_session.h"
#include "bridge/hopwise_side.h"
#include "bridge/page_server.h"

namespace bridgetest {
namespace {

using namespace std::chrono_literals;

std::string Page(const std::string& title, const std::string& script = "") {
  return "<html><head><title>" + title + "</title></head><body>x<script>" + script +
         "</script></body></html>";
}

const std::vector<PageServer::Page> kPages = {
    {"/firefox-start", Page("Firefox Start", "location.href = '/firefox';")},
    {"/firefox", Page("Firefox Page"), 0, /*gated=*/true},
    {"/chromium", Page("Chromium Page")},
    {"/opened-.*", Page("Opened")},
};

class TwoBrowsers : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!chromium.Installed() || !firefox.Installed()) GTEST_SKIP() << "needs Chromium and Firefox";
    ASSERT_TRUE(hopwise.ok);
    ASSERT_TRUE(home.WriteManifests());
    ASSERT_TRUE(server.Listening());
  }

  bool LogHas(const std::string& text) {
    return hopwise.PumpUntil([&] { return home.BridgeLog().find(text) != std::string::npos; }, 30s);
  }
  // Waits for the browser's bridge to log the text; false when it does not, or the browser ended
  // (it cannot run here).
  bool CameUp(BrowserSession& browser, const std::string& text) {
    hopwise.PumpUntil([&] { return home.BridgeLog().find(text) != std::string::npos || browser.Ended(); },
                      30s);
    return !browser.Ended() && home.BridgeLog().find(text) != std::string::npos;
  }
  size_t Echoes(const std::string& path) const {
    size_t count = 0;
    for (const auto& echo : hopwise.echoes) count += echo.infoUrl == server.Url(path);
    return count;
  }
  // The echoes Hopwise saw, one a line, for a failure's message.
  std::string Seen() const {
    std::string seen;
    for (const auto& echo : hopwise.echoes) {
      seen += std::to_string(echo.window) + " " + echo.url + " -> " + echo.infoUrl + " " + echo.infoCaption +
              "\n";
    }
    return seen;
  }
  bool WaitForEcho(const std::string& path) {
    return hopwise.PumpUntil([&] { return Echoes(path) > 0; }, 30s);
  }
  // Hopwise opens a page. The tab id it gets back is not checked: on a busy machine a browser may
  // answer after the bridge stopped waiting, and the page opens all the same; its echo tells.
  void Open(const std::string& path) {
    hopwise.AskForWindowId("WWW_OpenURL", "\"" + server.Url(path) + "\",,4294967295,0,");
  }
  bool ChromiumShows(const std::string& path) {
    for (const auto& target : chromium.Targets()) {
      if (target.url == server.Url(path)) return true;
    }
    return false;
  }

  BrowserHome home;
  PageServer server{kPages};
  ChromiumSession chromium;
  FirefoxSession firefox;
  HopwiseSide hopwise;
};

TEST_F(TwoBrowsers, BothAreRecordedAndPagesOpenInTheBrowserUsedLast) {
  ASSERT_TRUE(chromium.Start(home, "about:blank"));
  if (!CameUp(chromium, "serving NETSCAPE") && chromium.Ended()) GTEST_SKIP() << "Chromium cannot run here";
  ASSERT_FALSE(chromium.Ended());
  ASSERT_TRUE(LogHas("serving NETSCAPE")) << chromium.Log();
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  ASSERT_TRUE(firefox.Start(home, server.Url("/firefox-start")));
  if (!CameUp(firefox, "joined the bridge") && firefox.Ended()) GTEST_SKIP() << "Firefox cannot run here";
  ASSERT_TRUE(LogHas("joined the bridge that holds NETSCAPE")) << firefox.Log();

  // Firefox's pages reach Hopwise through Chromium's bridge.
  ASSERT_TRUE(WaitForEcho("/firefox-start")) << home.BridgeLog();
  server.OpenGate();
  ASSERT_TRUE(WaitForEcho("/firefox")) << home.BridgeLog();
  for (const auto& echo : hopwise.echoes) {
    if (echo.infoUrl == server.Url("/firefox")) {
      EXPECT_EQ(echo.infoCaption, "Netscape - [Firefox Page]");
    }
  }

  // Firefox was used last: Hopwise opens a page there. Then Chromium is: a page opens there.
  Open("/opened-1");
  ASSERT_TRUE(WaitForEcho("/opened-1")) << Seen() << home.BridgeLog();
  EXPECT_FALSE(ChromiumShows("/opened-1"));
  ASSERT_TRUE(chromium.OpenTab(server.Url("/chromium")));
  ASSERT_TRUE(WaitForEcho("/chromium"));
  Open("/opened-2");
  EXPECT_TRUE(hopwise.PumpUntil([&] { return ChromiumShows("/opened-2"); }, 30s));

  // Chromium ends, and its bridge with it: Firefox's takes the name over and goes on echoing to
  // Hopwise at once, repeating nothing.
  chromium.Stop();
  ASSERT_TRUE(LogHas("took over NETSCAPE"));
  Open("/opened-3");
  EXPECT_TRUE(WaitForEcho("/opened-3")) << home.BridgeLog();
  EXPECT_EQ(Echoes("/firefox"), 1u) << Seen() << home.BridgeLog();
}

}  // namespace
}  // namespace bridgetest
