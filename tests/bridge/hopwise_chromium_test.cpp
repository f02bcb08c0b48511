// Hopwise with a real browser: the application runs in this process (offscreen platform, recording
// fakes for message boxes, preferences and the launcher), headless Chromium and the bridge run as
// their own processes, and pages come from a local web server. Skipped when Chromium is not
// installed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/tray_app.h"
#include "bridge/browser_home.h"
#include "bridge/chromium_session.h"
#include "bridge/page_server.h"
#include "browser/recording_launcher.h"
#include "shell/qt/tray_wnd.h"
#include "support/memory_preference_store.h"
#include "support/recording_message_boxes.h"
#include "support/skip_reporting.h"

namespace {

using namespace std::chrono_literals;

const std::vector<bridgetest::PageServer::Page> kPages = {
    {"/a", "<html><head><title>Page A</title></head><body>A</body></html>"},
    {"/b", "<html><head><title>Page B</title></head><body>B</body></html>"},
    {"/late",
     "<html><head><title>Loading...</title></head><body><script>"
     "setTimeout(() => { document.title = 'Dashboard Ready'; }, 1500);</script></body></html>"},
    // Untitled until 2.5 s after its load (the browser shows its address meanwhile); the user
    // follows a link to another page at 3.8 s.
    {"/scripted",
     "<html><head></head><body><script>"
     "setTimeout(() => { document.title = 'Set By Script'; }, 2500);"
     "setTimeout(() => { location.href = '/b'; }, 3800);</script></body></html>"},
};

// Runs Qt's event loop (the transport, the detection thread's calls, timers) until done holds.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

class HopwiseWithChromium : public ::testing::Test {
 protected:
  void SetUp() override {
    if (bridgetest::ChromiumSession::Find().empty()) GTEST_SKIP() << "Chromium is not installed";
    ASSERT_FALSE(home.root.empty());
    ASSERT_TRUE(home.WriteManifests());
    ASSERT_TRUE(server.Listening());
    std::filesystem::create_directories(home.root + "/work/Topics");
  }

  void TearDown() override {
    if (app) app->Shutdown();
  }

  // Brings Hopwise up in a working folder of its own.
  bool StartHopwise() {
    app = std::make_unique<CTrayApp>(
        AppServices{preferences, messages, launcher, clock, processes, {}, home.root + "/work", ""});
    if (!app->Start()) return false;
    app->FinishStart();
    return true;
  }

  bool BridgeLogHas(const std::string& text) const {
    return home.BridgeLog().find(text) != std::string::npos;
  }

  const CPez* Mark(const std::string& path) const { return app->Store().FindPageMarkByUrl(server.Url(path)); }
  const CPez* MostRecent() const {
    const PageMarkList marks = app->Store().PageMarks();
    return marks.empty() ? nullptr : &marks.back();
  }

  int TabsShowing(const std::string& path) {
    int tabs = 0;
    for (const auto& target : chromium.Targets())
      tabs += target.type == "page" && target.url == server.Url(path);
    return tabs;
  }

  bridgetest::BrowserHome home;
  bridgetest::PageServer server{kPages};
  bridgetest::ChromiumSession chromium;
  MemoryPreferenceStore preferences{true};
  RecordingMessageBoxes messages;
  RecordingLauncher launcher;
  SystemClock clock;
  ProcProcessList processes;
  std::unique_ptr<CTrayApp> app;
};

TEST_F(HopwiseWithChromium, PagesBecomePageMarksAndAChosenPageMarkOpensInTheBrowser) {
  // The browser, and with it the bridge, is up before Hopwise starts.
  ASSERT_TRUE(chromium.Start(home));
  ASSERT_TRUE(PumpUntil([&] { return BridgeLogHas("serving NETSCAPE"); }, 20s)) << chromium.Log();

  // Hopwise finds the browser's process and registers for echoes.
  ASSERT_TRUE(StartHopwise());
  ASSERT_TRUE(PumpUntil([&] { return BridgeLogHas("echoes go to: HOPWISE1"); }, 10s)) << home.BridgeLog();

  // Two pages opened in the browser become PageMarks with their titles, listed in the menu.
  ASSERT_TRUE(chromium.OpenTab(server.Url("/a")));
  ASSERT_TRUE(chromium.OpenTab(server.Url("/b")));
  ASSERT_TRUE(PumpUntil([&] { return Mark("/a") && Mark("/b"); }, 15s)) << home.BridgeLog();
  EXPECT_EQ("Page A", Mark("/a")->title);
  EXPECT_EQ("Page B", Mark("/b")->title);
  EXPECT_EQ(2u, app->Store().Count());
  const auto recent =
      app->TrayWindow()->findChild<TrayMenus*>(QStringLiteral("trayMenus"))->Model().RecentMenu();
  ASSERT_NE(nullptr, recent);
  EXPECT_TRUE(recent->Contains(Mark("/a")->commandId));
  EXPECT_TRUE(recent->Contains(Mark("/b")->commandId));

  // Choosing the older of the two from the menu opens it in a new tab, and its visit comes back
  // as an echo that makes it the most recent PageMark.
  const std::string older = MostRecent() == Mark("/a") ? "/b" : "/a";
  ASSERT_EQ(1, TabsShowing(older));
  app->TrayWindow()->OnCommand(Mark(older)->commandId);
  EXPECT_TRUE(PumpUntil([&] { return TabsShowing(older) == 2; }, 10s));
  EXPECT_TRUE(PumpUntil([&] { return MostRecent() == Mark(older); }, 10s)) << home.BridgeLog();
  EXPECT_EQ(2u, app->Store().Count());

  // The browser answered: no browser program was started, and nothing went wrong.
  EXPECT_TRUE(launcher.launches.empty());
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(HopwiseWithChromium, ABrowserStartedAfterHopwiseIsFoundToo) {
  ASSERT_TRUE(StartHopwise());
  ASSERT_TRUE(chromium.Start(home));
  ASSERT_TRUE(PumpUntil([&] { return BridgeLogHas("echoes go to: HOPWISE1"); }, 20s)) << home.BridgeLog();

  ASSERT_TRUE(chromium.OpenTab(server.Url("/a")));
  ASSERT_TRUE(PumpUntil([&] { return Mark("/a") != nullptr; }, 15s)) << home.BridgeLog();
  EXPECT_EQ("Page A", Mark("/a")->title);

  // A title the page sets after its load retitles its PageMark: one PageMark, the title last seen.
  ASSERT_TRUE(chromium.OpenTab(server.Url("/late")));
  EXPECT_TRUE(PumpUntil([&] { return Mark("/late") && Mark("/late")->title == "Dashboard Ready"; }, 15s))
      << home.BridgeLog();
  EXPECT_EQ(2u, app->Store().Count());
}

TEST_F(HopwiseWithChromium, ATitleThatComesLateIsKeptWhenTheUserMovesOnOrComesBack) {
  ASSERT_TRUE(chromium.Start(home));
  ASSERT_TRUE(PumpUntil([&] { return BridgeLogHas("serving NETSCAPE"); }, 20s)) << chromium.Log();
  ASSERT_TRUE(StartHopwise());
  ASSERT_TRUE(PumpUntil([&] { return BridgeLogHas("echoes go to: HOPWISE1"); }, 10s)) << home.BridgeLog();

  ASSERT_TRUE(chromium.OpenTab(server.Url("/scripted")));
  ASSERT_TRUE(PumpUntil([&] { return Mark("/b") != nullptr; }, 20s)) << home.BridgeLog();
  ASSERT_NE(nullptr, Mark("/scripted"));
  EXPECT_EQ("Set By Script", Mark("/scripted")->title);

  // Chosen from Recent: while it loads it is shown with its address again, and counts as a visit;
  // its PageMark keeps the real title.
  app->TrayWindow()->OnCommand(Mark("/scripted")->commandId);
  ASSERT_TRUE(PumpUntil([&] { return MostRecent() == Mark("/scripted"); }, 15s)) << home.BridgeLog();
  EXPECT_EQ("Set By Script", Mark("/scripted")->title);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qtApp(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RunAllTestsReportingSkips(HOPWISE_SKIP_RETURN_CODE);
}
