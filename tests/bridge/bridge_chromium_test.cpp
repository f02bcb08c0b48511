// The whole bridge with a real browser: headless Chromium loads the extension, which starts the
// host through native messaging (found by the manifest the host itself wrote); a transport client
// plays Hopwise. Pages come from a local HTTP server and are opened through Chromium's DevTools
// endpoint. Skipped when Chromium is not installed.
#include <gtest/gtest.h>

#include <chrono>

#include "bridge/browser_home.h"
#include "bridge/chromium_session.h"
#include "bridge/hopwise_side.h"
#include "bridge/page_server.h"

namespace {

using namespace std::chrono_literals;
using bridgetest::HopwiseSide;
using bridgetest::SeenEcho;

const std::vector<bridgetest::PageServer::Page> kPages = {
    {"/a", "<html><head><title>Page A</title></head><body>A</body></html>"},
    {"/untitled", "<html><body>no title here</body></html>"},
    {"/late",
     "<html><head><title>Early</title></head><body><script>"
     "setTimeout(() => { document.title = 'Late'; }, 200);</script></body></html>"},
    {"/opened", "<html><head><title>Opened by Hopwise</title></head><body>O</body></html>"},
};

class BridgeWithChromium : public ::testing::Test {
 protected:
  void SetUp() override {
    if (bridgetest::ChromiumSession::Find().empty()) GTEST_SKIP() << "Chromium is not installed";
    ASSERT_TRUE(hopwise.ok);
    ASSERT_FALSE(home.root.empty());
    ASSERT_TRUE(home.WriteManifests());
    ASSERT_TRUE(server.Listening());
    ASSERT_TRUE(chromium.Start(home));
  }

  void OpenTab(const std::string& path) {
    ASSERT_TRUE(chromium.OpenTab(Url(path))) << "DevTools did not answer";
  }

  std::string Url(const std::string& path) const { return server.Url(path); }

  const SeenEcho* EchoOf(const std::string& path) {
    for (const auto& echo : hopwise.echoes) {
      if (echo.url == Url(path)) return &echo;
    }
    return nullptr;
  }

  bool WaitForEcho(const std::string& path, std::chrono::milliseconds limit = 15s) {
    return hopwise.PumpUntil([&] { return EchoOf(path) != nullptr; }, limit);
  }

  bridgetest::BrowserHome home;
  bridgetest::PageServer server{kPages};
  bridgetest::ChromiumSession chromium;
  HopwiseSide hopwise;
};

TEST_F(BridgeWithChromium, PagesReachHopwiseWithTitlesAndHopwiseOpensPages) {
  // The extension starts the host; registering succeeds once it serves "NETSCAPE".
  ASSERT_TRUE(hopwise.RegisterForEchoes()) << chromium.Log();

  OpenTab("/a");
  ASSERT_TRUE(WaitForEcho("/a")) << home.BridgeLog();
  EXPECT_EQ(EchoOf("/a")->infoUrl, Url("/a"));
  EXPECT_EQ(EchoOf("/a")->infoCaption, "Netscape - [Page A]");
  EXPECT_EQ(EchoOf("/a")->mime, "text/html");
  EXPECT_NE(EchoOf("/a")->window, 0u);

  // A page without a title is echoed all the same, shortly after it has loaded.
  OpenTab("/untitled");
  ASSERT_TRUE(WaitForEcho("/untitled"));

  // A title set by script later is what the browser reports from then on.
  OpenTab("/late");
  ASSERT_TRUE(WaitForEcho("/late"));
  const uint32_t lateTab = EchoOf("/late")->window;
  EXPECT_TRUE(hopwise.PumpUntil(
      [&] { return hopwise.WindowInfo(std::to_string(lateTab)).second == "Netscape - [Late]"; }, 5s));

  // Hopwise opens a page: it shows in a new tab, whose id comes back and is the echo's window.
  const uint32_t opened = hopwise.AskForWindowId("WWW_OpenURL", "\"" + Url("/opened") + "\",,4294967295,0,");
  EXPECT_NE(opened, 0u);
  ASSERT_TRUE(WaitForEcho("/opened"));
  EXPECT_EQ(EchoOf("/opened")->window, opened);
  EXPECT_EQ(EchoOf("/opened")->infoCaption, "Netscape - [Opened by Hopwise]");
  EXPECT_EQ(hopwise.AskForWindowId("WWW_Activate", "4294967295,0,"), opened);

  // Each page was echoed once.
  EXPECT_EQ(hopwise.echoes.size(), 4u);

  // When the browser ends, so does the host, and "NETSCAPE" is free.
  chromium.Stop();
  EXPECT_TRUE(hopwise.PumpUntil(
      [&] {
        const dde::ConvHandle conv = hopwise.instance.Connect("NETSCAPE", "WWW_Activate", 500);
        if (conv) hopwise.instance.Disconnect(conv);
        return conv == 0;
      },
      5s));
}

}  // namespace
